#pragma once
// The tray: a StatusNotifierItem registered with the panel's watcher, or an XEmbed tray
// icon where no watcher runs, switching to the watcher when one appears.

#include <functional>
#include <memory>
#include <optional>

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include "platform/StatusBar.h"

class QDBusServiceWatcher;
class QSystemTrayIcon;

namespace quintrel {

class StatusNotifierItem;

class QtStatusItem final : public QObject, public StatusItem {
    Q_OBJECT

public:
    explicit QtStatusItem(QDBusConnection bus);
    ~QtStatusItem() override;

    bool hasButton() const override { return true; }
    void setTitle(const std::string& title) override;
    void setAction(std::function<void()> action) override;

    // Where the item was last clicked, in global coordinates, when the panel said so.
    std::optional<QPoint> lastActivationPosition() const { return lastActivationPosition_; }
    // Whether a StatusNotifierWatcher has accepted the item.
    bool isRegisteredWithWatcher() const { return registered_; }
    // Whether the item is (also) an XEmbed tray icon.
    bool hasXEmbedIcon() const { return fallback_ != nullptr; }

signals:
    void registrationChanged(bool registered);

private slots:
    void hostRegistered();

private:
    void registerWithWatcher();
    void setRegistered(bool registered);
    void checkForHost();
    void showFallback();
    void activated(std::optional<QPoint> position);

    QDBusConnection bus_;
    StatusNotifierItem* item_ = nullptr;      // child of this
    QDBusServiceWatcher* watcher_ = nullptr;  // child of this
    std::unique_ptr<QSystemTrayIcon> fallback_;
    QString title_;
    std::function<void()> action_;
    std::optional<QPoint> lastActivationPosition_;
    bool registered_ = false;
};

class QtStatusBar final : public StatusBar {
public:
    explicit QtStatusBar(QDBusConnection bus = QDBusConnection::sessionBus()) : bus_(bus) {}

    std::unique_ptr<StatusItem> makeStatusItem() override;

    // The last item made, while it lives.
    QtStatusItem* item() const { return item_.data(); }
    std::optional<QPoint> lastActivationPosition() const {
        return item_ ? item_->lastActivationPosition() : std::nullopt;
    }

private:
    QDBusConnection bus_;
    QPointer<QtStatusItem> item_;
};

}  // namespace quintrel
