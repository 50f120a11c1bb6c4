#pragma once
// org.freedesktop.ScreenSaver on the test's private bus: sends lock and unlock, answers
// the idle time the test chooses.

#include <QDBusConnection>
#include <QObject>

namespace quintrel::e2e {

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    explicit FakeScreenSaver(QDBusConnection bus);

    bool registered() const { return registered_; }
    void setIdleSeconds(uint seconds) { idleSeconds_ = seconds; }
    // Emits ActiveChanged(active) on both paths screen savers use.
    void setActive(bool active);

public slots:
    Q_SCRIPTABLE uint GetSessionIdleTime() const { return idleSeconds_ * 1000; }
    Q_SCRIPTABLE bool GetActive() const { return active_; }

signals:
    Q_SCRIPTABLE void ActiveChanged(bool active);

private:
    QDBusConnection bus_;
    bool registered_ = false;
    bool active_ = false;
    uint idleSeconds_ = 0;
};

}  // namespace quintrel::e2e
