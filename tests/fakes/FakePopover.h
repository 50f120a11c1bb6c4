#pragma once
// Fakes of the dashboard popup, its factory and the application's terminate.

#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeDesktop.h"
#include "platform/Application.h"
#include "platform/DashboardPopover.h"

namespace quintrel::fakes {

class FakePopover final : public DashboardPopover {
public:
    bool isShown() const override { return shown; }
    void performClose() override {
        shown = false;
        ++closes;
    }
    void setContentSize(ContentSize size) override { contentSize = size; }
    void setContentViewController(std::shared_ptr<DashboardPopoverContent> controller) override {
        content = std::move(controller);
    }
    // The first showing loads the selected tab once, as the real content's first display does.
    void show() override {
        shown = true;
        ++shows;
        if (auto* fake = dynamic_cast<FakePopoverStatus*>(content.get());
            fake && !fake->shownOnce) {
            fake->shownOnce = true;
            fake->reloadSelectedTab();
        }
    }
    // What the desktop does on a click elsewhere or Escape.
    void dismiss() { shown = false; }

    bool shown = false;
    int shows = 0;
    int closes = 0;
    ContentSize contentSize;
    std::shared_ptr<DashboardPopoverContent> content;
};

class FakePopoverFactory final : public DashboardPopoverFactory {
public:
    std::shared_ptr<DashboardPopoverContent> makeViewController(
        const std::string& apiCode) override {
        lastController = std::make_shared<FakePopoverStatus>(apiCode);
        controllers.push_back(lastController);
        return lastController;
    }
    std::unique_ptr<DashboardPopover> makePopover() override {
        auto popover = std::make_unique<FakePopover>();
        lastPopover = popover.get();
        ++popoversMade;
        return popover;
    }

    std::vector<std::shared_ptr<FakePopoverStatus>> controllers;
    std::shared_ptr<FakePopoverStatus> lastController;
    FakePopover* lastPopover = nullptr;
    int popoversMade = 0;
};

class FakeApplication final : public Application {
public:
    void terminate() override { ++terminations; }
    int terminations = 0;
};

}  // namespace quintrel::fakes
