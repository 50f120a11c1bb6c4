#include "desktop/remote/RemoteControl.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include "companion_adaptor.h"

namespace quintrel {

RemoteControl::RemoteControl(AppDelegate& delegate)
    : delegate_(delegate),
      status_(delegate.status()),
      subscription_(
          delegate.observeStatus([this](const Status& status) { statusChanged(status); })) {
    new CompanionAdaptor(this);
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
    // A caller on the bus has no tray position: on X11 the popup opens at the pointer.
    delegate_.statusItemClicked(PopupPlace::pointer);
}

void RemoteControl::Quit() {
    // After the reply has left, so the caller learns the call arrived.
    QTimer::singleShot(0, this, [this] { delegate_.quit(); });
}

void RemoteControl::statusChanged(const Status& status) {
    QVariantMap changed;
    if (status.title != status_.title) {
        changed.insert(QStringLiteral("Title"), QString::fromStdString(status.title));
    }
    if (status.lastChecked != status_.lastChecked) {
        changed.insert(QStringLiteral("LastChecked"), QString::fromStdString(status.lastChecked));
    }
    if (status.lastError != status_.lastError) {
        changed.insert(QStringLiteral("LastError"), QString::fromStdString(status.lastError));
    }
    if (status.refreshing != status_.refreshing) {
        changed.insert(QStringLiteral("Refreshing"), status.refreshing);
    }
    status_ = status;
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
