// Opening and closing refreshes: at most one at a time, each named by a fresh
// identifier, cut off after the refresh time-out.

#include "app/AppDelegate.h"
#include "polling/Preferences.h"
#include "util/Text.h"

namespace quintrel {
namespace {

// "30s"; a test build's shortened time-out that is no whole second reads "1500ms".
std::string timeoutText(std::chrono::milliseconds timeout) {
    return timeout.count() % 1000 == 0 ? std::to_string(timeout.count() / 1000) + "s"
                                       : std::to_string(timeout.count()) + "ms";
}

}  // namespace

void AppDelegate::runTimedCode() {
    // The timer looks at the code exactly as stored, untrimmed.
    const auto code = prefs::text(platform.preferences, prefs::apiCode);
    if (!code || code->empty() || text::graphemeCount(*code) <= kMinimumAPICodeLength) {
        return;
    }
    quintrel_refresh_action();
}

void AppDelegate::refreshdata() {
    if (!configuredAPICode() || deferredRefresh) {
        return;
    }
    // Each poll can start a notification and a sound: a caller in a loop must not turn
    // into a poll a second.
    const auto quietFor =
        lastPollEndedAt ? kRefreshQuietInterval - (platform.clock.monotonicNow() - *lastPollEndedAt)
                        : std::chrono::steady_clock::duration::zero();
    if (quietFor > std::chrono::steady_clock::duration::zero()) {
        print("Deferring Quintrel refresh because the previous refresh ended less than " +
              std::to_string(kRefreshQuietInterval.count()) + "s ago");
        deferredRefresh = std::make_shared<WorkItem>([weak = weak_from_this()] {
            if (const auto self = weak.lock()) {
                self->deferredRefresh.reset();
                self->refreshdata();
            }
        });
        platform.mainQueue.asyncAfter(std::chrono::ceil<std::chrono::milliseconds>(quietFor),
                                      deferredRefresh);
        return;
    }
    changeStatusBarButton("...");
    quintrel_refresh_action();
}

void AppDelegate::quintrel_refresh_action() {
    const auto refreshID = beginRefresh();
    if (!refreshID) {
        return;
    }
    const std::int64_t titleMode = prefs::integer(platform.preferences, prefs::mode).value_or(0);
    const auto pollURL = getURL();
    if (!pollURL) {
        changeStatusBarButton("Quintrel");
        completeRefresh(*refreshID, "Unable to build API URL");
        return;
    }
    auto task = platform.http.dataTask(
        *pollURL, [self = shared_from_this(), id = *refreshID, titleMode](HttpResult result) {
            self->handlePollResult(std::move(result), id, titleMode);
        });
    refreshTask = task;
    task->resume();
}

std::optional<Uuid> AppDelegate::beginRefresh() {
    if (isRefreshing) {
        print("Skipping Quintrel refresh because the previous refresh is still running");
        return std::nullopt;
    }
    const Uuid refreshID = platform.uuids.make();
    isRefreshing = true;
    currentRefreshID = refreshID;
    refreshTask.reset();
    updateRefreshMenuItems();

    auto timeout = std::make_shared<WorkItem>([weak = weak_from_this(), refreshID] {
        const auto self = weak.lock();
        if (!self || self->currentRefreshID != refreshID || !self->isRefreshing) {
            return;
        }
        if (self->refreshTask) {
            self->refreshTask->cancel();
        }
        self->closeRefresh("Refresh timed out after " + timeoutText(self->options_.refreshTimeout));
        self->changeStatusBarButton("Quintrel");
    });
    if (refreshTimeoutWorkItem) {
        refreshTimeoutWorkItem->cancel();
    }
    refreshTimeoutWorkItem = timeout;
    platform.mainQueue.asyncAfter(options_.refreshTimeout, std::move(timeout));
    return refreshID;
}

void AppDelegate::completeRefresh(const Uuid& refreshID, std::optional<std::string> errorMessage) {
    if (currentRefreshID != refreshID) {
        print("Ignoring stale Quintrel refresh completion");
        return;
    }
    closeRefresh(errorMessage && !errorMessage->empty() ? *errorMessage : "None");
}

void AppDelegate::closeRefresh(const std::string& errorText) {
    if (refreshTimeoutWorkItem) {
        refreshTimeoutWorkItem->cancel();
        refreshTimeoutWorkItem.reset();
    }
    refreshTask.reset();
    isRefreshing = false;
    currentRefreshID.reset();
    lastCheckedAt = platform.clock.now();
    lastPollEndedAt = platform.clock.monotonicNow();
    lastErrorMessage = errorText;
    updateRefreshMenuItems();
}

}  // namespace quintrel
