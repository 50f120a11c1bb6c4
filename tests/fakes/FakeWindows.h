#pragma once
// Fakes of the windows (the dashboard popup, the settings window) and of the application.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "platform/Application.h"
#include "platform/DashboardPopover.h"
#include "platform/SettingsWindows.h"

namespace quintrel::fakes {

// Records the status lines, the handlers and every page load.
class FakePopoverContent final : public DashboardPopoverContent {
public:
    using Handler = std::function<void()>;
    explicit FakePopoverContent(std::string apiCode) : code(std::move(apiCode)) {}
    void updateStatus(const std::string& lastChecked, const std::string& lastError,
                      bool isChecking) override {
        updates.push_back({"", std::nullopt, lastChecked, lastError, isChecking});
    }
    std::string apiCode() const override { return code; }
    void setAPICode(const std::string& apiCode) override { code = apiCode; }
    void setOpenDashboardHandler(Handler handler) override { openDashboard = std::move(handler); }
    void setOpenSettingsHandler(Handler handler) override { openSettings = std::move(handler); }
    void setQuitHandler(Handler handler) override { quit = std::move(handler); }
    void setRefreshHandler(Handler handler) override { refresh = std::move(handler); }
    // Like the real content, a reload before the first showing loads nothing.
    void reloadSelectedTab() override {
        if (shownOnce) {
            loadedCodes.push_back(code);
        }
    }
    ContentSize preferredContentSize() const override { return {680, 560}; }

    std::vector<Status> updates;  // the status lines only
    std::string code;
    Handler openDashboard, openSettings, quit, refresh;
    bool shownOnce = false;
    std::vector<std::string> loadedCodes;  // the code of every page load, in order
};

class FakePopover final : public DashboardPopover {
public:
    bool isShown() const override { return shown; }
    void performClose() override {
        shown = false;
        ++closes;
    }
    void setContentSize(ContentSize) override {}
    void setContentViewController(std::shared_ptr<DashboardPopoverContent> controller) override {
        content = std::move(controller);
    }
    // The first showing loads the selected tab once, as the real content's first display does.
    void show(PopupPlace at) override {
        shown = true;
        place = at;
        ++shows;
        if (auto* fake = dynamic_cast<FakePopoverContent*>(content.get()); !fake->shownOnce) {
            fake->shownOnce = true;
            fake->reloadSelectedTab();
        }
    }

    bool shown = false;
    PopupPlace place = PopupPlace::trayItem;  // of the last showing
    int shows = 0;
    int closes = 0;
    std::shared_ptr<DashboardPopoverContent> content;
};

class FakePopoverFactory final : public DashboardPopoverFactory {
public:
    std::shared_ptr<DashboardPopoverContent> makeViewController(
        const std::string& apiCode) override {
        return lastController = std::make_shared<FakePopoverContent>(apiCode);
    }
    std::unique_ptr<DashboardPopover> makePopover() override {
        auto popover = std::make_unique<FakePopover>();
        lastPopover = popover.get();
        ++popoversMade;
        return popover;
    }

    std::shared_ptr<FakePopoverContent> lastController;
    FakePopover* lastPopover = nullptr;
    int popoversMade = 0;
};

// Counts the settings windows made and shown; keeps what the last one's save reports to.
class FakeSettingsWindows final : public SettingsWindows {
public:
    std::unique_ptr<SettingsWindowController> makeSettingsWindow(SaveReports made) override {
        reports = std::move(made);
        ++this->made;
        return std::make_unique<Window>(shown);
    }
    SaveReports reports;
    int made = 0;
    int shown = 0;
    struct Window final : SettingsWindowController {
        explicit Window(int& shown) : shown(shown) {}
        void showWindow() override { ++shown; }
        int& shown;
    };
};

class FakeApplication final : public Application {
public:
    void terminate() override { ++terminations; }
    int terminations = 0;
};

}  // namespace quintrel::fakes
