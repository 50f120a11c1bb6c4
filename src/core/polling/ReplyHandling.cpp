// The completion of a poll: sorting out failures on the HTTP client's thread, then
// turning a current reply into the title and perhaps a notification on the main thread.

#include "app/AppDelegate.h"
#include "polling/Preferences.h"

namespace quintrel {

void AppDelegate::handlePollResult(HttpResult result, const Uuid& refreshID,
                                   std::int64_t titleMode) {
    // Reads no field: this may run on any thread.
    const auto fail = [&](const std::string& errorText) {
        changeStatusBarButton("Quintrel");
        completeRefresh(refreshID, errorText);
    };
    if (result.error) {
        print("Quintrel refresh failed: " + *result.error);
        fail(*result.error);
        return;
    }
    if (result.status && (*result.status < 200 || *result.status >= 300)) {
        fail("HTTP " + std::to_string(*result.status));
        return;
    }
    if (!result.body) {
        fail("No data returned");
        return;
    }
    auto decoded = reply::decode(*result.body);
    if (!decoded) {
        fail("Unable to read API response");
        return;
    }
    platform.mainQueue.async(
        [self = shared_from_this(), decoded = std::move(*decoded), refreshID, titleMode] {
            self->handleCurrentReply(decoded, refreshID, titleMode);
        });
}

void AppDelegate::handleCurrentReply(const reply& decoded, const Uuid& refreshID,
                                     std::int64_t titleMode) {
    if (currentRefreshID != refreshID) {
        print("Ignoring stale Quintrel refresh result");
        return;
    }
    changeStatusBarButton(std::to_string(titleMode == 0 ? decoded.online : decoded.pv));
    if (decoded.notify < 1) {
        completeRefresh(refreshID, std::nullopt);
        return;
    }
    const auto wantsNotifications = prefs::integer(platform.preferences, prefs::notify);
    if (wantsNotifications && *wantsNotifications != 1) {
        completeRefresh(refreshID, std::nullopt);
        return;
    }
    if (!decoded.notifytitle || !decoded.notifydesc || !decoded.notifyurl || !decoded.notifysound) {
        print("Notification skipped because the API response is missing notification fields");
        completeRefresh(refreshID, "Notification payload missing fields");
        return;
    }
    showNotification(*decoded.notifytitle, *decoded.notifydesc, *decoded.notifyurl,
                     *decoded.notifysound);
    completeRefresh(refreshID, std::nullopt);
}

}  // namespace quintrel
