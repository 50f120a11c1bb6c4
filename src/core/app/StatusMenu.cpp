// The tray item's menu, for panels that draw one: the delegate's actions under their labels,
// first the popup the left button toggles, since some panels (GNOME's) open this menu on the
// left button and give the item nothing but a double click.

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
        {"Show Overview", call(&AppDelegate::showOverview)},
        {},
        {"Refresh Now", call(&AppDelegate::refreshdata)},
        {"Open Dashboard", call(&AppDelegate::opendashboard)},
        {"Settings\u2026", call(&AppDelegate::settingView)},
        {"Check for Updates", call(&AppDelegate::checkupdate)},
        {},
        {"Quit", call(&AppDelegate::quit)},
    };
}

void AppDelegate::showOverview() {
    // Asked for by name, the popup opens; closing it is the click's and the popup's own.
    if (dashboardPopover && dashboardPopover->isShown()) {
        return;
    }
    statusItemClicked();
}

void AppDelegate::quit() {
    platform.application.terminate();
}

}  // namespace quintrel
