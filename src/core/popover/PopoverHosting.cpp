// The tray item's click and the dashboard popup it toggles.

#include "app/AppDelegate.h"

namespace quintrel {

void AppDelegate::statusItemClicked(PopupPlace place) {
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
    showDashboardPopover(*code, place);
}

void AppDelegate::showDashboardPopover(const std::string& apiCode, PopupPlace place) {
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
    if (controller != dashboardPopoverViewController) {
        popoverObservation_ = observeStatus([content = controller.get()](const Status& status) {
            content->updateStatus(status.lastChecked, status.lastError, status.refreshing);
        });
    }
    dashboardPopoverViewController = controller;
    const Status& now = status();
    controller->updateStatus(now.lastChecked, now.lastError, now.refreshing);
    controller->reloadSelectedTab();

    if (!dashboardPopover) {
        dashboardPopover = platform.popovers.makePopover();
        if (!dashboardPopover) {
            return;
        }
    }
    dashboardPopover->setContentSize(controller->preferredContentSize());
    dashboardPopover->setContentViewController(controller);
    dashboardPopover->show(place);
}

}  // namespace quintrel
