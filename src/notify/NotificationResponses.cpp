// A click on a notification, or on its "Detail" action, opens the notification's link.

#include "app/AppDelegate.h"
#include "platform/Url.h"

namespace quintrel {

void AppDelegate::userNotificationCenter(const NotificationResponse& response,
                                         std::function<void()> completionHandler) {
    std::optional<std::string> linkInResponse;
    if (response.userInfo.is_object()) {
        const auto entry = response.userInfo.find(notificationURLUserInfoKey);
        if (entry != response.userInfo.end() && entry->is_string()) {
            linkInResponse = entry->get<std::string>();
        }
    }
    // openDetail is main-thread state, so the fallback is taken there.
    onMainThread([this, linkInResponse, completionHandler = std::move(completionHandler)] {
        const std::string link = linkInResponse.value_or(openDetail);
        if (!link.empty() && url::scheme(link)) {
            platform.browser.openURL(link);
        }
        completionHandler();
    });
}

}  // namespace quintrel
