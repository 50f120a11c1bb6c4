#include <algorithm>

#include "app/AppDelegate.h"
#include "platform/Text.h"

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
    if (!dashboardPopoverViewController) {
        return;
    }
    std::string oneLine = lastErrorMessage;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    dashboardPopoverViewController->updateStatus(
        lastChecked, text::ellipsized(oneLine, kLastErrorLength), isChecking);
}

}  // namespace quintrel
