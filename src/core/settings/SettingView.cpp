// Opening the settings window, or bringing the one already made to the front.

#include "app/AppDelegate.h"

namespace quintrel {

void AppDelegate::settingView() {
    if (dashboardPopover) {
        dashboardPopover->performClose();
    }
    // Made once and kept: a later call shows the same window with its controls as the
    // user left them.
    if (!settingsWindowController) {
        settingsWindowController = platform.settingsWindows.makeSettingsWindow(saveReports());
    }
    if (settingsWindowController) {
        settingsWindowController->showWindow();
    }
}

}  // namespace quintrel
