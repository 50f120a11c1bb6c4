#include "desktop/remote/RemoteControl.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include "companion_adaptor.h"

namespace quintrel {

RemoteControl::RemoteControl(AppDelegate& delegate, std::function<void()> togglePopup)
    : delegate_(delegate),
      togglePopup_(std::move(togglePopup)),
      texts_(delegate.currentStatusTexts()) {
    new CompanionAdaptor(this);
    delegate_.titleObserver = [this](const std::string& title) {
        titleChanged(title);
    };
    delegate_.statusObserver = [this](const StatusTexts& texts) {
        statusTextsChanged(texts);
    };
}

RemoteControl::~RemoteControl() {
    // Work queued on the main queue may still hold the delegate after this object is gone.
    delegate_.titleObserver = nullptr;
    delegate_.statusObserver = nullptr;
}

bool RemoteControl::exportOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    exported_ = bus.isConnected() && bus.registerObject(QString::fromLatin1(kRemoteObjectPath),
                                                        this, QDBusConnection::ExportAdaptors);
    return exported_;
}

void RemoteControl::Refresh() {
    delegate_.refreshdata();
}
void RemoteControl::ShowSettings() {
    delegate_.settingView();
}
void RemoteControl::OpenDashboard() {
    delegate_.opendashboard();
}
void RemoteControl::CheckForUpdates() {
    delegate_.checkupdate();
}
void RemoteControl::TogglePopup() {
    togglePopup_();
}

void RemoteControl::Quit() {
    // After the reply has left, so the caller learns the call arrived.
    QTimer::singleShot(0, this, [this] { delegate_.platform.application.terminate(); });
}

void RemoteControl::titleChanged(const std::string& title) {
    const QString value = QString::fromStdString(title);
    if (value == title_) {
        return;
    }
    title_ = value;
    announce({{QStringLiteral("Title"), value}});
}

void RemoteControl::statusTextsChanged(const StatusTexts& texts) {
    QVariantMap changed;
    if (texts.lastChecked != texts_.lastChecked) {
        changed.insert(QStringLiteral("LastChecked"), QString::fromStdString(texts.lastChecked));
    }
    if (texts.lastError != texts_.lastError) {
        changed.insert(QStringLiteral("LastError"), QString::fromStdString(texts.lastError));
    }
    if (texts.isChecking != texts_.isChecking) {
        changed.insert(QStringLiteral("Refreshing"), texts.isChecking);
    }
    texts_ = texts;
    if (!changed.isEmpty()) {
        announce(changed);
    }
}

void RemoteControl::announce(const QVariantMap& changed) {
    if (!exported_) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kRemoteObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kRemoteInterface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

}  // namespace quintrel
