#pragma once
// Screen lock and unlock from the session bus's screen savers and logind's session.

#include <functional>

#include <QDBusConnection>
#include <QObject>

#include "platform/ScreenLockEvents.h"

namespace quintrel {

class DesktopScreenLock final : public QObject, public ScreenLockEvents {
    Q_OBJECT

public:
    DesktopScreenLock(QDBusConnection session = QDBusConnection::sessionBus(),
                      QDBusConnection system = QDBusConnection::systemBus());

    void observe(std::function<void()> locked, std::function<void()> unlocked) override;

private slots:
    void screenSaverActiveChanged(bool active);
    void sessionLocked();
    void sessionUnlocked();

private:
    void watchLogindSession();

    QDBusConnection session_;
    QDBusConnection system_;
    std::vector<std::function<void()>> locked_;
    std::vector<std::function<void()>> unlocked_;
    bool connected_ = false;
};

}  // namespace quintrel
