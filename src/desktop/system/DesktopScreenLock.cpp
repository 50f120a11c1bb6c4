#include "desktop/system/DesktopScreenLock.h"

#include <unistd.h>

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace quintrel {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");

}  // namespace

DesktopScreenLock::DesktopScreenLock(QDBusConnection session, QDBusConnection system)
    : session_(std::move(session)), system_(std::move(system)) {}

void DesktopScreenLock::observe(std::function<void()> locked, std::function<void()> unlocked) {
    locked_.push_back(std::move(locked));
    unlocked_.push_back(std::move(unlocked));
    if (connected_) {
        return;
    }
    connected_ = true;
    // Any path (screen savers publish their object under more than one), but only from
    // whoever owns the screen saver's name: Qt drops the same signal from anyone else on
    // the bus, who could otherwise make the app quiet, or loud while the screen is locked.
    if (session_.isConnected()) {
        for (const char* name : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"}) {
            session_.connect(QString::fromLatin1(name), QString(), QString::fromLatin1(name),
                             QStringLiteral("ActiveChanged"), this,
                             SLOT(screenSaverActiveChanged(bool)));
        }
    }
    watchLogindSession();
}

void DesktopScreenLock::watchLogindSession() {
    if (!system_.isConnected()) {
        return;
    }
    // Only this process's own session: other sessions' locks are not ours.
    QDBusMessage call = QDBusMessage::createMethodCall(
        kLogind, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("GetSessionByPID"));
    call << static_cast<uint>(::getpid());
    auto* pending = new QDBusPendingCallWatcher(system_.asyncCall(call, 2000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> reply = *w;
        if (reply.isError()) {
            return;
        }
        const QString path = reply.value().path();
        // By logind's name, so only logind itself is heard.
        system_.connect(kLogind, path, kSessionInterface, QStringLiteral("Lock"), this,
                        SLOT(sessionLocked()));
        system_.connect(kLogind, path, kSessionInterface, QStringLiteral("Unlock"), this,
                        SLOT(sessionUnlocked()));
        // clang-format off
        system_.connect(kLogind, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                        QStringLiteral("PropertiesChanged"), this,
                        SLOT(sessionPropertiesChanged(QString,QVariantMap,QStringList)));
        // clang-format on
        readLockedHint(path);
    });
}

void DesktopScreenLock::readLockedHint(const QString& path) {
    // The screen locker sets it: a session that is locked already when the app starts.
    QDBusMessage call = QDBusMessage::createMethodCall(
        kLogind, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    call << kSessionInterface << QStringLiteral("LockedHint");
    auto* pending = new QDBusPendingCallWatcher(system_.asyncCall(call, 2000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (!reply.isError() && reply.value().variant().toBool()) {
            sessionLocked();
        }
    });
}

void DesktopScreenLock::sessionPropertiesChanged(const QString& interface,
                                                 const QVariantMap& changed, const QStringList&) {
    const auto hint = changed.find(QStringLiteral("LockedHint"));
    if (interface != kSessionInterface || hint == changed.end()) {
        return;
    }
    hint->toBool() ? sessionLocked() : sessionUnlocked();
}

void DesktopScreenLock::screenSaverActiveChanged(bool active) {
    active ? sessionLocked() : sessionUnlocked();
}

void DesktopScreenLock::sessionLocked() {
    for (const auto& handler : locked_) {
        handler();
    }
}

void DesktopScreenLock::sessionUnlocked() {
    for (const auto& handler : unlocked_) {
        handler();
    }
}

}  // namespace quintrel
