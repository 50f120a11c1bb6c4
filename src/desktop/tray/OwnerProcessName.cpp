#include "desktop/tray/OwnerProcessName.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>

namespace quintrel {

void askOwnerProcessName(QDBusConnection bus, const QString& service, QObject* context,
                         std::function<void(const QString& name)> done) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetConnectionUnixProcessID"));
    call << service;
    auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), context);
    QObject::connect(pending, &QDBusPendingCallWatcher::finished, context,
                     [done = std::move(done)](QDBusPendingCallWatcher* w) {
                         w->deleteLater();
                         const QDBusPendingReply<uint> reply = *w;
                         if (reply.isError()) {
                             done({});
                             return;
                         }
                         QFile comm(QStringLiteral("/proc/%1/comm").arg(reply.value()));
                         // A name of at most 15 bytes and a line feed.
                         done(comm.open(QIODevice::ReadOnly)
                                  ? QString::fromUtf8(comm.read(64)).trimmed()
                                  : QString());
                     });
}

}  // namespace quintrel
