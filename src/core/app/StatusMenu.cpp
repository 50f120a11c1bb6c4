// The tray item's menu, for panels that draw one on the right button: the delegate's
// actions under their labels. The left button keeps toggling the popup.

#include "app/AppDelegate.h"

namespace quintrel {

std::vector<StatusMenuEntry> AppDelegate::statusMenuEntries() {
    // The menu must never keep the delegate alive.
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    const auto call = [weak](void (AppDelegate::*action)()) {
        return [weak, action] {
            if (const auto self = weak.lock()) {
                ((*self).*action)();
            }
        };
    };
    return {
        {"Refresh Now", call(&AppDelegate::refreshdata)},
        {"Open Dashboard", call(&AppDelegate::opendashboard)},
        {"Settings\u2026", call(&AppDelegate::settingView)},
        {"Check for Updates", call(&AppDelegate::checkupdate)},
        {},
        {"Quit",
         [&application = platform.application] {
             application.terminate();
         }},
    };
}

}  // namespace quintrel
