#include "app/AppDelegate.h"
#include "util/SecretMasking.h"
#include "util/Text.h"

namespace quintrel {

namespace {
constexpr std::size_t kLastErrorLength = 72;
// Room for 72 characters of four bytes; what is longer is a flood, not a message.
constexpr std::size_t kLastErrorBytes = 4 * kLastErrorLength;
}  // namespace

void AppDelegate::changeStatusBarButton(const std::string& content,
                                        std::optional<std::uint64_t> count) {
    title_ = content;
    count_ = count;
    updateRefreshMenuItems();
}

void AppDelegate::setLastError(const std::string& text) {
    lastErrorMessage = text;
    updateRefreshMenuItems();
}

void AppDelegate::updateRefreshMenuItems() {
    const std::string lastChecked = isRefreshing    ? "Checking..."
                                    : lastCheckedAt ? text::localDateTime(*lastCheckedAt)
                                                    : "Never";
    // The service's words reach the popup, the bus and the bars: a reply that echoes the
    // code must not carry it there.
    const std::string masked = maskSecrets(lastErrorMessage, configuredAPICode().value_or(""));
    status_.update({title_, count_, lastChecked,
                    text::ellipsized(text::singleLine(masked), kLastErrorLength, kLastErrorBytes),
                    isRefreshing});
}

SaveReports AppDelegate::saveReports() {
    // A check in flight may end after the window, never after the delegate matters.
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    return {[weak](const std::string& title) {
                if (const auto self = weak.lock()) {
                    self->changeStatusBarButton(title);
                }
            },
            [weak](const std::string& error) {
                if (const auto self = weak.lock()) {
                    self->setLastError(error);
                }
            },
            [weak] {
                if (const auto self = weak.lock()) {
                    self->quintrel_refresh_action();
                }
            }};
}

}  // namespace quintrel
