#pragma once
// org.freedesktop.Notifications on its own bus connection: records Notify, emits signals.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace quintrel::fakes {

struct NotifyCall {
    QString appName;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
};

class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotificationServer(QDBusConnection connection)
        : connection_(std::move(connection)) {
        connection_.registerObject(kPath, this, QDBusConnection::ExportAllSlots);
        connection_.registerService(kService);
    }
    ~FakeNotificationServer() override {
        connection_.unregisterService(kService);
        connection_.unregisterObject(kPath);
    }

    void emitSignal(const QString& name, const QVariantList& arguments) {
        auto message = QDBusMessage::createSignal(kPath, kService, name);
        message.setArguments(arguments);
        connection_.send(message);
    }

    QStringList capabilities{"actions", "body", "body-markup", "body-hyperlinks"};
    QList<NotifyCall> calls;
    uint nextId = 1;

public slots:
    QStringList GetCapabilities() { return capabilities; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = version = specVersion = "1.2";
        return "fake";
    }
    uint Notify(const QString& appName, uint, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        calls.append({appName, summary, body, actions, hints});
        return nextId++;
    }

private:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    QDBusConnection connection_;
};

}  // namespace quintrel::fakes
