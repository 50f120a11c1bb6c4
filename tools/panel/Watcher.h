#pragma once
// org.kde.StatusNotifierWatcher: the registry through which tray items find the panel.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>

namespace panel {

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ registeredItems)
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ protocolVersion)

public:
    explicit Watcher(QDBusConnection bus, QObject* parent = nullptr);

    QStringList registeredItems() const { return items_; }
    bool isHostRegistered() const { return true; }
    int protocolVersion() const { return 0; }

    // Exported on the bus: the scriptable members (registered with ExportScriptableContents).
public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& serviceOrPath,
                                                 const QDBusMessage& message);
    Q_SCRIPTABLE void RegisterStatusNotifierHost(const QString& service);

signals:
    Q_SCRIPTABLE void StatusNotifierItemRegistered(const QString& item);
    Q_SCRIPTABLE void StatusNotifierItemUnregistered(const QString& item);
    Q_SCRIPTABLE void StatusNotifierHostRegistered();
    Q_SCRIPTABLE void StatusNotifierHostUnregistered();

    // For the panel itself, not exported.
    void itemAdded(const QString& key, const QString& service, const QString& path);
    void itemRemoved(const QString& key);

private:
    void serviceGone(const QString& service);

    QDBusConnection bus_;
    QDBusServiceWatcher owners_;
    QStringList items_;  // "service/path"
};

}  // namespace panel
