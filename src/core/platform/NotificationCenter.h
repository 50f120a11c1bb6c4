#pragma once
// The desktop's notification service: permission, categories with actions, requests
// and the user's responses.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace quintrel {

// Permission states as the service reports them; values outside these may arrive too.
namespace AuthorizationStatus {
inline constexpr int notDetermined = 0;
inline constexpr int denied = 1;
inline constexpr int authorized = 2;
inline constexpr int provisional = 3;
inline constexpr int ephemeral = 4;
}  // namespace AuthorizationStatus

namespace AuthorizationOptions {
inline constexpr unsigned badge = 1;
inline constexpr unsigned sound = 2;
inline constexpr unsigned alert = 4;
}  // namespace AuthorizationOptions

struct NotificationAction {
    std::string identifier;
    std::string title;
};

struct NotificationCategory {
    std::string identifier;
    std::vector<NotificationAction> actions;
};

struct NotificationError {
    std::string description;           // the full technical description
    std::string localizedDescription;  // the text meant for people
};

struct NotificationRequest {
    std::string identifier;
    std::string title;  // plain text
    std::string body;   // plain text
    nlohmann::json userInfo;
    std::string categoryIdentifier;
    std::chrono::milliseconds delay;  // the one-shot trigger
};

struct NotificationResponse {
    std::string actionIdentifier;
    nlohmann::json userInfo;
};

// Receives the user's clicks on a notification or on one of its actions.
class NotificationCenterDelegate {
public:
    virtual ~NotificationCenterDelegate() = default;
    virtual void userNotificationCenter(const NotificationResponse& response,
                                        std::function<void()> completionHandler) = 0;
};

// Completions may run on any thread.
class NotificationCenter {
public:
    virtual ~NotificationCenter() = default;

    // Replaces the whole registered set.
    virtual void setNotificationCategories(std::vector<NotificationCategory> categories) = 0;
    virtual void getNotificationSettings(
        std::function<void(int authorizationStatus)> completion) = 0;
    virtual void requestAuthorization(
        unsigned options,
        std::function<void(bool granted, std::optional<NotificationError>)> completion) = 0;
    virtual void setDelegate(std::weak_ptr<NotificationCenterDelegate> delegate) = 0;
    virtual void add(NotificationRequest request,
                     std::function<void(std::optional<NotificationError>)> completion) = 0;
};

}  // namespace quintrel
