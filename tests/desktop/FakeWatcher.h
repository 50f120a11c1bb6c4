#pragma once
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <chrono>

// The panel's org.kde.StatusNotifierWatcher, on a connection of its own.
class FakeWatcher : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ listed)

public:
    explicit FakeWatcher(QDBusConnection bus, bool hostRegistered = true)
        : hostRegistered_(hostRegistered), bus_(bus) {
        bus_.registerObject(
            QStringLiteral("/StatusNotifierWatcher"), this,
            QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportAllProperties);
        bus_.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    ~FakeWatcher() override {
        bus_.unregisterService(QStringLiteral("org.kde.StatusNotifierWatcher"));
        bus_.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
    }

    QStringList registered;  // every registration, repeats too
    bool listsItems = true;  // false: a watcher that dropped what it accepted
    std::chrono::milliseconds answerDelay{0};  // a busy watcher answers registrations late

    bool isHostRegistered() const { return hostRegistered_; }
    QStringList listed() const { return listsItems ? registered : QStringList(); }
    // A panel's host starting up after the watcher.
    void registerHost() {
        hostRegistered_ = true;
        bus_.send(QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"),
                                             QStringLiteral("org.kde.StatusNotifierWatcher"),
                                             QStringLiteral("StatusNotifierHostRegistered")));
    }

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service) {
        registered.append(service);
        if (answerDelay.count() > 0) {
            setDelayedReply(true);
            QTimer::singleShot(answerDelay, this, [this, reply = message().createReply()] {
                bus_.send(reply);
            });
        }
    }

private:
    bool hostRegistered_;
    QDBusConnection bus_;
};
