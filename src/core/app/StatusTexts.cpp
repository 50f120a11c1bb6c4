#include "app/AppDelegate.h"
#include "util/SecretMasking.h"
#include "util/Text.h"

namespace quintrel {

namespace {
constexpr std::size_t kLastErrorLength = 72;
// Room for 72 characters of four bytes; what is longer is a flood, not a message.
constexpr std::size_t kLastErrorBytes = 4 * kLastErrorLength;
}  // namespace

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
    // The service's words reach the popup, the bus and the bars: a reply that echoes the
    // code must not carry it there.
    const std::string masked = maskSecrets(lastErrorMessage, configuredAPICode().value_or(""));
    return {lastChecked,
            text::ellipsized(text::singleLine(masked), kLastErrorLength, kLastErrorBytes),
            isChecking};
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
