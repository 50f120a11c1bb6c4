#pragma once
// org.freedesktop.ScreenSaver on a test's bus: a fixed idle time, counted asks, lock events.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    FakeScreenSaver(QDBusConnection bus, uint idleSeconds) : bus_(bus), idleSeconds_(idleSeconds) {}
    // ActiveChanged on the freedesktop path.
    void setActive(bool active) {
        active_ = active;
        bus_.send(QDBusMessage::createSignal("/org/freedesktop/ScreenSaver",
                                             "org.freedesktop.ScreenSaver", "ActiveChanged")
                  << active);
    }

    int calls = 0;  // GetSessionIdleTime

public slots:
    Q_SCRIPTABLE uint GetSessionIdleTime() {
        ++calls;
        return idleSeconds_;
    }
    Q_SCRIPTABLE bool GetActive() const { return active_; }

signals:
    Q_SCRIPTABLE void ActiveChanged(bool active);

private:
    QDBusConnection bus_;
    uint idleSeconds_;
    bool active_ = false;
};
