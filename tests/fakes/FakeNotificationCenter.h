#pragma once
// A notification center whose permission answer and failures tests choose; completions
// run on the calling thread unless a test holds them back.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/NotificationCenter.h"

namespace quintrel::fakes {

class FakeNotificationCenter final : public NotificationCenter {
public:
    void setNotificationCategories(std::vector<NotificationCategory> set) override {
        categories = std::move(set);
    }
    void getNotificationSettings(std::function<void(int)> completion) override {
        completion(status);
    }
    void requestAuthorization(
        unsigned options,
        std::function<void(bool, std::optional<NotificationError>)> completion) override {
        requestedOptions.push_back(options);
        completion(grantOnRequest, authorizationError);
    }
    void setDelegate(std::weak_ptr<NotificationCenterDelegate> newDelegate) override {
        delegate = std::move(newDelegate);
    }
    void add(NotificationRequest request,
             std::function<void(std::optional<NotificationError>)> completion) override {
        requests.push_back(std::move(request));
        completion(addError);
    }

    // Choices
    int status = AuthorizationStatus::authorized;
    bool grantOnRequest = true;
    std::optional<NotificationError> authorizationError;
    std::optional<NotificationError> addError;

    // Record
    std::vector<NotificationCategory> categories;
    std::vector<unsigned> requestedOptions;
    std::weak_ptr<NotificationCenterDelegate> delegate;
    std::vector<NotificationRequest> requests;
};

}  // namespace quintrel::fakes
