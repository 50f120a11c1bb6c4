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
            if (titleObserver) {
                titleObserver(content);
            }
        }
    });
}

StatusTexts AppDelegate::statusTexts(bool isChecking) const {
    const std::string lastChecked = isChecking      ? "Checking..."
                                    : lastCheckedAt ? text::localDateTime(*lastCheckedAt)
                                                    : "Never";
    std::string oneLine = lastErrorMessage;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    return {lastChecked, text::ellipsized(oneLine, kLastErrorLength), isChecking};
}

void AppDelegate::updateRefreshMenuItems(bool isChecking) {
    if (!dashboardPopoverViewController && !statusTextsObserver && !statusObserver) {
        return;
    }
    const StatusTexts texts = statusTexts(isChecking);
    if (statusTextsObserver) {
        statusTextsObserver(texts.lastChecked, texts.lastError);
    }
    if (statusObserver) {
        statusObserver(texts);
    }
    if (dashboardPopoverViewController) {
        dashboardPopoverViewController->updateStatus(texts.lastChecked, texts.lastError,
                                                     isChecking);
    }
}

}  // namespace quintrel
