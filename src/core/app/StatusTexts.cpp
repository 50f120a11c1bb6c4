#include <algorithm>

#include "app/AppDelegate.h"
#include "util/Text.h"

namespace quintrel {

namespace {
constexpr std::size_t kLastErrorLength = 72;
}

void AppDelegate::changeStatusBarButton(const std::string& content) {
    onMainThread([this, content] {
        if (statusItem && statusItem->hasButton()) {
            statusItem->setTitle(content);
        }
    });
}

void AppDelegate::updateRefreshMenuItems(bool isChecking) {
    const std::string lastChecked = isChecking      ? "Checking..."
                                    : lastCheckedAt ? text::localDateTime(*lastCheckedAt)
                                                    : "Never";
    if (!dashboardPopoverViewController && !statusTextsObserver) {
        return;
    }
    std::string oneLine = lastErrorMessage;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    const std::string lastError = text::ellipsized(oneLine, kLastErrorLength);
    if (statusTextsObserver) {
        statusTextsObserver(lastChecked, lastError);
    }
    if (dashboardPopoverViewController) {
        dashboardPopoverViewController->updateStatus(lastChecked, lastError, isChecking);
    }
}

}  // namespace quintrel
