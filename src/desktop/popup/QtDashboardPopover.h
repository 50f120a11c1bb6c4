#pragma once
// The dashboard popup as the app sees it: a window of the quintrel-dashboard helper, shown
// next to the tray item and closed by a click elsewhere, Escape or a second tray click.
// Also the factory the delegate makes it and its content with.

#include <QObject>
#include <QPoint>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "desktop/popup/DashboardHelperProcess.h"
#include "platform/Browser.h"
#include "platform/DashboardPopover.h"
#include "polling/ServiceEndpoints.h"

namespace quintrel {

// Where the tray item was last clicked, in global coordinates, when the tray knows.
using TrayPosition = std::function<std::optional<QPoint>()>;

class QtDashboardPopover final : public QObject, public DashboardPopover {
public:
    QtDashboardPopover(std::shared_ptr<DashboardHelperProcess> helper, TrayPosition trayPosition);

    bool isShown() const override;
    void performClose() override;
    void setContentSize(ContentSize) override {}
    void setContentViewController(std::shared_ptr<DashboardPopoverContent> content) override;
    void show(PopupPlace place) override;

    // A click on the tray item while the popup is open first closes the popup (it is a
    // click elsewhere, seen by the helper) and then reaches the tray. For this long after
    // the helper reports such a close the popup still counts as shown, so that the click
    // does not open it again.
    static constexpr std::chrono::milliseconds kDismissGrace{400};

private:
    std::shared_ptr<DashboardHelperProcess> helper_;
    TrayPosition trayPosition_;
    std::shared_ptr<DashboardPopoverContent> content_;
    bool shown_ = false;
    std::optional<std::chrono::steady_clock::time_point> dismissedAt_;
};

// Makes the popup and its content for the delegate; both share one helper.
class QtDashboardPopoverFactory final : public DashboardPopoverFactory {
public:
    QtDashboardPopoverFactory(
        ServiceEndpoints service, Browser& browser, TrayPosition trayPosition,
        std::optional<QString> helperProgram = DashboardHelperProcess::defaultProgram());
    std::shared_ptr<DashboardPopoverContent> makeViewController(
        const std::string& apiCode) override;
    std::unique_ptr<DashboardPopover> makePopover() override;

    DashboardHelperProcess& helper() { return *helper_; }

private:
    const ServiceEndpoints service_;
    Browser& browser_;
    TrayPosition trayPosition_;
    std::shared_ptr<DashboardHelperProcess> helper_;
};

}  // namespace quintrel
