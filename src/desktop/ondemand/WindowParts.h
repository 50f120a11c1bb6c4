#pragma once
// The settings window and the popup's launcher live in a shared object of their own,
// libquintrel-windows.so, which the app loads the first time either is asked for: an idle
// app never maps their code or their relocated data. The factories below stand in for
// them until then.

#include <chrono>
#include <functional>
#include <memory>

#include "desktop/popup/QtDashboardPopover.h"
#include "platform/DashboardPopover.h"
#include "platform/SettingsWindows.h"
#include "settings/SaveFlow.h"

namespace quintrel {

// What the shared object makes. Its one exported function, `quintrel_window_parts`,
// returns the one instance; the object is never unloaded.
class WindowParts {
public:
    virtual std::unique_ptr<SettingsWindows> makeSettingsWindows(
        SettingsServices services, std::function<void()> playStartupSound) = 0;
    virtual std::unique_ptr<DashboardPopoverFactory> makePopovers(
        ServiceEndpoints service, Browser& browser, TrayPosition trayPosition,
        std::chrono::milliseconds helperKeepAfterHide) = 0;

protected:
    ~WindowParts() = default;
};

// The shared object's parts, loaded on the first call from beside the executable (a build
// tree) or from ../libexec/quintrel-companion (an installation). Null, and a log line once,
// when it cannot be loaded: the app carries on without these windows.
WindowParts* windowParts();
// The same from a folder of one's choice (`dir` and `dir`/../libexec/quintrel-companion).
WindowParts* loadWindowParts(const QString& dir);

class OnDemandSettingsWindows final : public SettingsWindows {
public:
    OnDemandSettingsWindows(SettingsServices services, std::function<void()> playStartupSound);
    std::unique_ptr<SettingsWindowController> makeSettingsWindow(SaveReports reports) override;

private:
    SettingsServices services_;
    std::function<void()> playStartupSound_;
    std::unique_ptr<SettingsWindows> windows_;
};

class OnDemandPopovers final : public DashboardPopoverFactory {
public:
    OnDemandPopovers(ServiceEndpoints service, Browser& browser, TrayPosition trayPosition);
    std::shared_ptr<DashboardPopoverContent> makeViewController(
        const std::string& apiCode) override;
    std::unique_ptr<DashboardPopover> makePopover() override;

    // How long the dashboard helper is kept after the popup was hidden.
    std::chrono::milliseconds helperKeepAfterHide{DashboardHelperProcess::kKeepAfterHide};

private:
    DashboardPopoverFactory* popovers();

    const ServiceEndpoints service_;
    Browser& browser_;
    TrayPosition trayPosition_;
    std::unique_ptr<DashboardPopoverFactory> popovers_;
};

}  // namespace quintrel
