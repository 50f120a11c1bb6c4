#include "desktop/system/DesktopScreenLock.h"

#include <unistd.h>

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace quintrel {

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");

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
    // Any sender and any path: screen savers publish their object under more than one.
    if (session_.isConnected()) {
        for (const char* interface : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"}) {
            session_.connect(QString(), QString(), QString::fromLatin1(interface),
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
        const QString interface = QStringLiteral("org.freedesktop.login1.Session");
        system_.connect(kLogind, path, interface, QStringLiteral("Lock"), this,
                        SLOT(sessionLocked()));
        system_.connect(kLogind, path, interface, QStringLiteral("Unlock"), this,
                        SLOT(sessionUnlocked()));
    });
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
