#pragma once
// The notification center on the desktop's org.freedesktop.Notifications server.
//
// There is no permission prompt on Linux: a server that answers on the session bus
// counts as authorized, none (or no bus) as denied. Every call is asynchronous with a
// short time-out; it is used, and completes, on the main thread.

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "platform/NotificationCenter.h"

class OrgFreedesktopNotificationsInterface;

namespace quintrel {

class FreedesktopNotificationCenter final : public QObject, public NotificationCenter {
    Q_OBJECT
public:
    explicit FreedesktopNotificationCenter(
        QDBusConnection connection = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~FreedesktopNotificationCenter() override;

    void setNotificationCategories(std::vector<NotificationCategory> categories) override;
    void getNotificationSettings(std::function<void(int)> completion) override;
    void requestAuthorization(
        unsigned options,
        std::function<void(bool, std::optional<NotificationError>)> completion) override;
    void setDelegate(std::weak_ptr<NotificationCenterDelegate> delegate) override;
    void add(NotificationRequest request,
             std::function<void(std::optional<NotificationError>)> completion) override;

    // Delivered notifications whose click could still arrive; never more than this many.
    static constexpr std::size_t kMaximumTracked = 50;
    std::size_t trackedCount() const { return delivered_.size(); }
    // Whether the current server renders body markup; none until it has said.
    std::optional<bool> bodyMarkup() const { return bodyMarkup_; }

    // "&", "<" and ">" as entities, for servers that read the body as markup.
    static QString escapedMarkup(const QString& text);

private:
    struct Delivered {
        std::string identifier;
        nlohmann::json userInfo;
    };

    // Calls GetServerInformation; `done` learns whether a server answered, and the error.
    void probeServer(std::function<void(std::optional<NotificationError>)> done);
    void learnCapabilities();
    // The server's name changed owner: `present` when a new one now holds it.
    void serverChanged(bool present);
    void notify(const NotificationRequest& request,
                std::function<void(std::optional<NotificationError>)> completion);
    void remember(uint id, Delivered delivered);
    void forget(uint id);
    void onActionInvoked(uint id, const QString& actionKey);

    std::unique_ptr<OrgFreedesktopNotificationsInterface> server_;  // none without a bus
    std::vector<NotificationCategory> categories_;
    std::weak_ptr<NotificationCenterDelegate> delegate_;
    std::map<uint, Delivered> delivered_;
    std::deque<uint> deliveryOrder_;
    // Whether the server renders body markup; unknown counts as yes, so text is escaped.
    std::optional<bool> bodyMarkup_;
};

}  // namespace quintrel
