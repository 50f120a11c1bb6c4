// The watcher's registry: items come with their bus name and leave when it vanishes.

#include "Watcher.h"

namespace panel {

Watcher::Watcher(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(bus), owners_({}, bus, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&owners_, &QDBusServiceWatcher::serviceUnregistered, this, &Watcher::serviceGone);
}

void Watcher::RegisterStatusNotifierItem(const QString& serviceOrPath,
                                         const QDBusMessage& message) {
    // Items name themselves three ways: a bus name, an object path (the sender then is
    // the service), or "service/path".
    QString service = serviceOrPath;
    QString path = QStringLiteral("/StatusNotifierItem");
    if (serviceOrPath.startsWith(u'/')) {
        service = message.service();
        path = serviceOrPath;
    } else if (const auto slash = serviceOrPath.indexOf(u'/'); slash > 0) {
        service = serviceOrPath.left(slash);
        path = serviceOrPath.mid(slash);
    }
    if (service.isEmpty()) {
        return;
    }
    const QString key = service + path;
    if (!items_.contains(key)) {
        items_.append(key);
        owners_.addWatchedService(service);
        emit StatusNotifierItemRegistered(key);
    }
    // A repeated registration (an app that saw the panel restart) still gets re-read.
    emit itemAdded(key, service, path);
}

void Watcher::RegisterStatusNotifierHost(const QString&) {
    emit StatusNotifierHostRegistered();
}

void Watcher::serviceGone(const QString& service) {
    owners_.removeWatchedService(service);
    const auto before = items_;
    for (const auto& key : before) {
        if (key.startsWith(service + u'/')) {
            items_.removeAll(key);
            emit StatusNotifierItemUnregistered(key);
            emit itemRemoved(key);
        }
    }
}

}  // namespace panel
