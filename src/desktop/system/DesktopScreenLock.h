#pragma once
// Screen lock and unlock from the owners of the session bus's screen saver names and from
// logind's session (its Lock and Unlock, and its LockedHint).

#include <functional>

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

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
    void sessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                  const QStringList& invalidated);

private:
    void watchLogindSession();
    void readLockedHint(const QString& path);

    QDBusConnection session_;
    QDBusConnection system_;
    std::vector<std::function<void()>> locked_;
    std::vector<std::function<void()>> unlocked_;
    bool connected_ = false;
};

}  // namespace quintrel
