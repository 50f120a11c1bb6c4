#include "desktop/tray/NowhereNotice.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace quintrel {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kOverviewAction = QStringLiteral("show-overview");

// Plain text without "&" or "<": servers that take markup show it as it is.
const QString kSummary = QStringLiteral("Quintrel Companion has nowhere to show your count");
const QString kBody = QStringLiteral(
    "This desktop shows no tray items. On GNOME, install gnome-shell-extension-appindicator, "
    "turn on \u201cAppIndicator and KStatusNotifierItem Support\u201d in the Extensions app, "
    "then log out and back in. Until then, Show Overview opens the popup.");

}  // namespace

NowhereNotice::NowhereNotice(QDBusConnection bus, std::function<void()> showOverview,
                             QObject* parent)
    : QObject(parent), bus_(std::move(bus)), showOverview_(std::move(showOverview)) {
    bus_.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
}

void NowhereNotice::show() {
    if (sent_ || !bus_.isConnected()) {
        return;
    }
    sent_ = true;
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    notify << QStringLiteral("Quintrel") << 0u << QStringLiteral("com.quintrel.Companion")
           << kSummary << kBody
           << QStringList{QStringLiteral("default"), QStringLiteral("Show Overview"),
                          kOverviewAction, QStringLiteral("Show Overview")}
           << QVariantMap{} << -1;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(notify, 5000), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError()) {
            qWarning("Could not tell that no panel shows the tray item: %s",
                     qPrintable(reply.error().message()));
            return;
        }
        id_ = reply.value();
    });
}

void NowhereNotice::actionInvoked(uint id, const QString& action) {
    if (id_ != 0 && id == id_ &&
        (action == QLatin1String("default") || action == kOverviewAction) && showOverview_) {
        showOverview_();
    }
}

}  // namespace quintrel
