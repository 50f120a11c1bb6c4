#pragma once
// The running app on the session bus: com.quintrel.Companion1 at /com/quintrel/Companion,
// its methods the app's named actions, its properties the title and the popup's status texts.

#include <QObject>
#include <QString>
#include <QVariantMap>

#include "app/AppDelegate.h"

namespace quintrel {

inline constexpr const char* kRemoteObjectPath = "/com/quintrel/Companion";
inline constexpr const char* kRemoteInterface = "com.quintrel.Companion1";

class RemoteControl : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString LastChecked READ lastChecked)
    Q_PROPERTY(QString LastError READ lastError)
    Q_PROPERTY(bool Refreshing READ refreshing)

public:
    explicit RemoteControl(AppDelegate& delegate);

    // Puts the object on the session bus; false (and nothing exported) without one.
    bool exportOnSessionBus();

    QString title() const { return QString::fromStdString(status_.title); }
    QString lastChecked() const { return QString::fromStdString(status_.lastChecked); }
    QString lastError() const { return QString::fromStdString(status_.lastError); }
    bool refreshing() const { return status_.refreshing; }

public slots:
    void Refresh();
    void ShowSettings();
    void OpenDashboard();
    void CheckForUpdates();
    void TogglePopup();
    void Quit();

private:
    void statusChanged(const Status& status);
    void announce(const QVariantMap& changed);

    AppDelegate& delegate_;
    Status status_;
    bool exported_ = false;
    // Last: it goes first, before what it writes to.
    StatusModel::Subscription subscription_;
};

}  // namespace quintrel
