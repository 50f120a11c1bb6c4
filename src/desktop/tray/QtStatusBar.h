#pragma once
// The tray: a StatusNotifierItem registered with the panel's watcher, or an XEmbed tray
// icon where no watcher runs, switching to the watcher when one appears.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include "platform/StatusBar.h"

class QDBusServiceWatcher;
class QMenu;
class QSystemTrayIcon;

namespace quintrel {

class NowhereNotice;
class StatusNotifierItem;

class QtStatusItem final : public QObject, public StatusItem {
    Q_OBJECT

public:
    // How long after the watcher accepts the item it looks whether the item is still listed.
    static constexpr std::chrono::milliseconds kListedCheckDelay{5000};

    // How long after start-up it looks whether any host shows the item.
    static constexpr std::chrono::milliseconds kShownCheckDelay{30000};

    explicit QtStatusItem(QDBusConnection bus,
                          std::chrono::milliseconds listedCheckDelay = kListedCheckDelay,
                          std::chrono::milliseconds shownCheckDelay = kShownCheckDelay);
    ~QtStatusItem() override;

    bool hasButton() const override { return true; }
    void setTitle(const std::string& title, std::optional<std::uint64_t> count) override;
    void setAction(std::function<void()> action) override;
    void setMenu(std::vector<StatusMenuEntry> entries) override;

    // Where the item was last clicked, in global coordinates, when the panel said so.
    std::optional<QPoint> lastActivationPosition() const { return lastActivationPosition_; }
    // Whether a StatusNotifierWatcher has accepted the item.
    bool isRegisteredWithWatcher() const { return registered_; }
    // Whether the item is (also) an XEmbed tray icon.
    bool hasXEmbedIcon() const { return fallback_ != nullptr; }
    // The XEmbed icon's menu (right button), while there is one.
    QMenu* xembedMenu() const;
    // Whether the item's icon carries the title (false: the symbolic icon, where the
    // watcher's panel draws the label itself).
    bool iconShowsTitle() const;

signals:
    void registrationChanged(bool registered);

private slots:
    void hostRegistered();
    void itemUnregistered(const QString& item);

private:
    void registerWithWatcher();
    void setRegistered(bool registered);
    void checkForHost();
    void checkStillListed();
    // Once, a while after start-up: a notification if no panel shows the item by then.
    void checkShownSomewhere();
    bool xembedTrayShowsIt() const;
    void tellShownNowhere();
    // Reads a property of the watcher; `then` gets an invalid value when it does not answer.
    void readWatcherProperty(const QString& name, std::function<void(const QVariant&)> then);
    // Whether a panel's host is registered with the watcher.
    void readHostRegistered(std::function<void(bool)> then);
    bool namesThisItem(const QString& entry) const;
    void showFallback();
    void buildFallbackMenu();
    void activated(std::optional<QPoint> position);
    // Picks the icon for the panel behind the watcher's current owner.
    void askWhichHost();

    QDBusConnection bus_;
    StatusNotifierItem* item_ = nullptr;      // child of this
    QDBusServiceWatcher* watcher_ = nullptr;  // child of this
    // RegisterStatusNotifierItem calls not answered yet.
    int registrationsPending_ = 0;
    std::vector<StatusMenuEntry> menuEntries_;
    std::unique_ptr<QMenu> fallbackMenu_;  // outlives the icon that shows it
    std::unique_ptr<QSystemTrayIcon> fallback_;
    QString title_;
    std::optional<std::uint64_t> count_;
    std::function<void()> action_;
    int hostQuestion_ = 0;  // answers to earlier questions are stale
    std::optional<QPoint> lastActivationPosition_;
    bool registered_ = false;
    QTimer listedCheck_;
    QTimer shownCheck_;
    NowhereNotice* nowhereNotice_ = nullptr;  // child of this, made when needed
    // How often a dropped item registers anew, per watcher: enough for a start-up hiccup,
    // never a loop against a host that refuses it.
    static constexpr int kRegistrationsAnew = 3;
    int registrationsLeft_ = kRegistrationsAnew;
};

class QtStatusBar final : public StatusBar {
public:
    explicit QtStatusBar(
        QDBusConnection bus = QDBusConnection::sessionBus(),
        std::chrono::milliseconds listedCheckDelay = QtStatusItem::kListedCheckDelay,
        std::chrono::milliseconds shownCheckDelay = QtStatusItem::kShownCheckDelay)
        : bus_(bus), listedCheckDelay_(listedCheckDelay), shownCheckDelay_(shownCheckDelay) {}

    std::unique_ptr<StatusItem> makeStatusItem() override;

    // The last item made, while it lives.
    QtStatusItem* item() const { return item_.data(); }
    std::optional<QPoint> lastActivationPosition() const {
        return item_ ? item_->lastActivationPosition() : std::nullopt;
    }

private:
    QDBusConnection bus_;
    std::chrono::milliseconds listedCheckDelay_;
    std::chrono::milliseconds shownCheckDelay_;
    QPointer<QtStatusItem> item_;
};

}  // namespace quintrel
