// The completion of a poll: sorting out failures, then turning a current reply into the
// title and perhaps a notification.

#include "app/AppDelegate.h"
#include "polling/Preferences.h"

namespace quintrel {

void AppDelegate::handlePollResult(HttpResult result, const Uuid& refreshID,
                                   std::int64_t titleMode) {
    expectMainThread();
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
    handleCurrentReply(*decoded, refreshID, titleMode);
}

void AppDelegate::handleCurrentReply(const reply& decoded, const Uuid& refreshID,
                                     std::int64_t titleMode) {
    if (currentRefreshID != refreshID) {
        print("Ignoring stale Quintrel refresh result");
        return;
    }
    const std::int64_t count = titleMode == 0 ? decoded.online : decoded.pv;
    // A negative count is shown as the service sent it, but is no number to shorten.
    changeStatusBarButton(std::to_string(count),
                          count >= 0 ? std::optional<std::uint64_t>(count) : std::nullopt);
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
