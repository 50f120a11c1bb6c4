// The entry point of libquintrel-windows.so: the settings window and the popup's launcher.

#include "desktop/ondemand/WindowParts.h"
#include "desktop/settings/SettingsWindowFactory.h"

namespace quintrel {

namespace {

class Parts final : public WindowParts {
public:
    std::unique_ptr<SettingsWindows> makeSettingsWindows(
        SettingsServices services, std::function<void()> playStartupSound) override {
        return std::make_unique<SettingsWindowFactory>(std::move(services),
                                                       std::move(playStartupSound));
    }

    std::unique_ptr<DashboardPopoverFactory> makePopovers(
        ServiceEndpoints service, Browser& browser, TrayPosition trayPosition,
        std::chrono::milliseconds helperKeepAfterHide) override {
        auto popovers = std::make_unique<QtDashboardPopoverFactory>(std::move(service), browser,
                                                                    std::move(trayPosition));
        popovers->helper().keepAfterHide = helperKeepAfterHide;
        return popovers;
    }
};

}  // namespace

}  // namespace quintrel

extern "C" __attribute__((visibility("default"))) quintrel::WindowParts* quintrel_window_parts() {
    static quintrel::Parts parts;
    return &parts;
}
