#pragma once
// A notification center that has no notification server behind it: permission is
// denied and every request fails with a clear error.

#include "platform/NotificationCenter.h"

namespace quintrel {

class PlaceholderNotificationCenter final : public NotificationCenter {
public:
    void setNotificationCategories(std::vector<NotificationCategory>) override {}
    void getNotificationSettings(std::function<void(int)> completion) override {
        completion(AuthorizationStatus::denied);
    }
    void requestAuthorization(
        unsigned, std::function<void(bool, std::optional<NotificationError>)> completion) override {
        completion(false, std::nullopt);
    }
    void setDelegate(std::weak_ptr<NotificationCenterDelegate>) override {}
    void add(NotificationRequest,
             std::function<void(std::optional<NotificationError>)> completion) override {
        const std::string text = "Desktop notifications are not available";
        completion(NotificationError{text, text});
    }
};

}  // namespace quintrel
