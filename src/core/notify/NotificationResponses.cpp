// A click on a notification, or on its "Detail" action, opens the notification's link.

#include "app/AppDelegate.h"
#include "util/Url.h"

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
    expectMainThread();
    const std::string link = linkInResponse.value_or(openDetail);
    // The link came from the network: only web pages go to the browser, never local files,
    // scripts or other programs' URL schemes.
    if (url::isWebURL(link)) {
        platform.browser.openURL(link);
    } else if (!link.empty() && url::scheme(link)) {
        print("Refusing to open notification link that is not http or https");
    }
    completionHandler();
}

}  // namespace quintrel
