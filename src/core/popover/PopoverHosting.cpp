// The tray item's click and the dashboard popup it toggles.

#include "app/AppDelegate.h"

namespace quintrel {

void AppDelegate::statusItemClicked() {
    const auto code = configuredAPICode();
    if (!code) {
        if (dashboardPopover) {
            dashboardPopover->performClose();
        }
        settingView();
        return;
    }
    if (dashboardPopover && dashboardPopover->isShown()) {
        dashboardPopover->performClose();
        return;
    }
    showDashboardPopover(*code);
}

void AppDelegate::showDashboardPopover(const std::string& apiCode) {
    if (!statusItem || !statusItem->hasButton()) {
        return;
    }
    auto controller = dashboardPopoverViewController
                          ? dashboardPopoverViewController
                          : platform.popovers.makeViewController(apiCode);
    if (!controller) {
        return;
    }
    controller->setAPICode(apiCode);

    // The controller must never keep the delegate alive.
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    controller->setOpenDashboardHandler([weak] {
        if (const auto self = weak.lock()) {
            self->opendashboard();
        }
    });
    controller->setOpenSettingsHandler([weak] {
        if (const auto self = weak.lock()) {
            self->settingView();
        }
    });
    controller->setQuitHandler([&application = platform.application] { application.terminate(); });
    controller->setRefreshHandler([weak] {
        if (const auto self = weak.lock()) {
            self->refreshdata();
        }
    });
    dashboardPopoverViewController = controller;

    updateRefreshMenuItems(isRefreshing);
    controller->reloadSelectedTab();

    if (!dashboardPopover) {
        dashboardPopover = platform.popovers.makePopover();
        if (!dashboardPopover) {
            return;
        }
    }
    dashboardPopover->setContentSize(controller->preferredContentSize());
    dashboardPopover->setContentViewController(controller);
    dashboardPopover->show();
}

}  // namespace quintrel
