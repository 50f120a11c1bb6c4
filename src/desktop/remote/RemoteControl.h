#pragma once
// The running app on the session bus: com.quintrel.Companion1 at /com/quintrel/Companion,
// its methods the app's named actions, its properties the title and the popup's status texts.

#include <functional>

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
    // `togglePopup` is the tray item's click, with the popup placed as for a bus caller.
    RemoteControl(AppDelegate& delegate, std::function<void()> togglePopup);
    ~RemoteControl() override;

    // Puts the object on the session bus; false (and nothing exported) without one.
    bool exportOnSessionBus();

    QString title() const { return title_; }
    QString lastChecked() const { return QString::fromStdString(texts_.lastChecked); }
    QString lastError() const { return QString::fromStdString(texts_.lastError); }
    bool refreshing() const { return texts_.isChecking; }

public slots:
    void Refresh();
    void ShowSettings();
    void OpenDashboard();
    void CheckForUpdates();
    void TogglePopup();
    void Quit();

private:
    void titleChanged(const std::string& title);
    void statusTextsChanged(const StatusTexts& texts);
    void announce(const QVariantMap& changed);

    AppDelegate& delegate_;
    std::function<void()> togglePopup_;
    QString title_;
    StatusTexts texts_;
    bool exported_ = false;
};

}  // namespace quintrel
