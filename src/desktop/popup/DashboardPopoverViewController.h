#pragma once
// The dashboard popup's content as the app keeps it: the API code, the selected tab, the
// status lines and the three handlers. The quintrel-dashboard helper draws it; this
// decides what it loads and what its buttons and links do.

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "desktop/popup/DashboardHelperProcess.h"
#include "platform/Browser.h"
#include "platform/DashboardPopover.h"
#include "popover/DashboardTabs.h"
#include "settings/QuintrelLegalLinks.h"
#include "util/RateBudget.h"

namespace quintrel {

class DashboardPopoverViewController final : public QObject, public DashboardPopoverContent {
    Q_OBJECT

public:
    DashboardPopoverViewController(std::string apiCode, std::string widgetBase,
                                   QuintrelLegalLinks legalLinks, Browser& browser,
                                   std::shared_ptr<DashboardHelperProcess> helper);

    // DashboardPopoverContent
    std::string apiCode() const override { return apiCode_; }
    void setAPICode(const std::string& apiCode) override { apiCode_ = apiCode; }
    void setOpenDashboardHandler(std::function<void()> handler) override {
        openDashboardHandler = std::move(handler);
    }
    void setOpenSettingsHandler(std::function<void()> handler) override {
        openSettingsHandler = std::move(handler);
    }
    void setQuitHandler(std::function<void()> handler) override {
        quitHandler = std::move(handler);
    }
    void setRefreshHandler(std::function<void()> handler) override {
        refreshHandler = std::move(handler);
    }
    void reloadSelectedTab() override;
    void updateStatus(const std::string& lastChecked, const std::string& lastError,
                      bool isChecking) override;
    ContentSize preferredContentSize() const override {
        return {popover::kPreferredWidth, popover::kPreferredHeight};
    }

    // The first display loads the selected tab; later ones were reloaded before.
    void viewWillAppear();
    bool isViewLoaded() const { return viewLoaded_; }
    int selectedSegment() const { return selectedSegment_; }

    std::function<void()> openDashboardHandler;
    std::function<void()> openSettingsHandler;
    std::function<void()> quitHandler;
    std::function<void()> refreshHandler;

    // Links the helper may hand to the browser in a minute. The helper sends one per click
    // in the page; this holds should a page get past it.
    static constexpr std::size_t kOpensPerMinute = 5;

private:
    void received(const popover::DashboardMessage& message);
    void send(const popover::PageLoad& page);
    void sendStatus();

    std::string apiCode_;
    const std::string widgetBase_;
    const QuintrelLegalLinks legalLinks_;
    Browser& browser_;
    std::shared_ptr<DashboardHelperProcess> helper_;
    bool viewLoaded_ = false;
    int selectedSegment_ = 0;
    popover::StatusLines status_{"Last checked: Never", "Last error: None"};
    RateBudget opens_{kOpensPerMinute, std::chrono::minutes(1)};
};

}  // namespace quintrel
