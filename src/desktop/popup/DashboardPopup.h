#pragma once
// The dashboard popup as a Linux window: frameless, next to the tray item, closed by a
// click elsewhere or Escape. Also the factory the delegate makes it with.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Browser.h"
#include "platform/DashboardPopover.h"
#include "polling/ServiceEndpoints.h"

namespace quintrel {

class DashboardPopoverViewController;

// Where the tray item was last clicked, in global coordinates, when the tray knows.
using TrayPosition = std::function<std::optional<QPoint>()>;

// The top-left corner for a popup of `size` opened from `anchor`: centred on it
// horizontally, below it when it is in the upper half of the screen, else above it,
// and kept inside `available`.
QPoint popupPosition(QSize size, QPoint anchor, QRect available);

class DashboardPopup final : public QObject, public DashboardPopover {
public:
    explicit DashboardPopup(TrayPosition trayPosition);
    ~DashboardPopup() override;

    bool isShown() const override;
    void performClose() override;
    void setContentSize(ContentSize size) override;
    void setContentViewController(std::shared_ptr<DashboardPopoverContent> content) override;
    void show() override;

    // A click on the tray item while the popup is open first closes the popup (it is a
    // click elsewhere) and then reaches the tray. For this long after such a close the
    // popup still counts as shown, so that the click does not open it again.
    static constexpr std::chrono::milliseconds kDismissGrace{400};

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DashboardPopoverViewController* window() const;

    TrayPosition trayPosition_;
    std::shared_ptr<DashboardPopoverContent> content_;
    QSize size_;
    bool closing_ = false;
    std::optional<std::chrono::steady_clock::time_point> dismissedAt_;
};

// Makes the popup and its content for the delegate.
class DashboardPopupFactory final : public DashboardPopoverFactory {
public:
    DashboardPopupFactory(ServiceEndpoints service, Browser& browser, TrayPosition trayPosition);
    std::shared_ptr<DashboardPopoverContent> makeViewController(
        const std::string& apiCode) override;
    std::unique_ptr<DashboardPopover> makePopover() override;

private:
    const ServiceEndpoints service_;
    Browser& browser_;
    TrayPosition trayPosition_;
};

}  // namespace quintrel
