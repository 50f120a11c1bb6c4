#include "app/AppDelegate.h"

namespace quintrel {

void AppDelegate::quintrel_content(const BusMessage& message) {
    if (const auto content = NotificationBus::contentText(message)) {
        changeStatusBarButton(*content);
    }
}

void AppDelegate::quintrel_error(const BusMessage& message) {
    if (const auto content = NotificationBus::contentText(message)) {
        setLastError(*content);
    }
}

}  // namespace quintrel
