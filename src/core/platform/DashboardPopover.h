#pragma once
// The dashboard popup under the tray item and its content: three web widgets, two
// status lines and the buttons. Made on first use and kept for the life of the process.

#include <functional>
#include <memory>
#include <string>

#include "platform/PopoverStatusSink.h"

namespace quintrel {

// Where the popup opens: next to the tray item, where the tray last said it was clicked, or
// at the pointer (a caller on the bus or the command line has no tray position).
enum class PopupPlace { trayItem, pointer };

struct ContentSize {
    int width = 0;
    int height = 0;
    bool operator==(const ContentSize&) const = default;
};

// The popup's content. It knows nothing of the delegate: its three main buttons call
// the handlers its host installs; a button without a handler does nothing.
class DashboardPopoverContent : public PopoverStatusSink {
public:
    virtual std::string apiCode() const = 0;
    virtual void setAPICode(const std::string& apiCode) = 0;
    virtual void setOpenDashboardHandler(std::function<void()> handler) = 0;
    virtual void setOpenSettingsHandler(std::function<void()> handler) = 0;
    virtual void setQuitHandler(std::function<void()> handler) = 0;
    // F5 and Ctrl+R in the popup.
    virtual void setRefreshHandler(std::function<void()> handler) = 0;
    // Loads the selected tab's page; does nothing before the content was first shown.
    virtual void reloadSelectedTab() = 0;
    virtual ContentSize preferredContentSize() const = 0;
};

// The transient window that carries the content next to the tray item. It closes by
// itself when the user clicks elsewhere or presses Escape.
class DashboardPopover {
public:
    virtual ~DashboardPopover() = default;
    virtual bool isShown() const = 0;
    virtual void performClose() = 0;
    virtual void setContentSize(ContentSize size) = 0;
    virtual void setContentViewController(std::shared_ptr<DashboardPopoverContent> content) = 0;
    virtual void show(PopupPlace place) = 0;
};

class DashboardPopoverFactory {
public:
    virtual ~DashboardPopoverFactory() = default;
    virtual std::shared_ptr<DashboardPopoverContent> makeViewController(
        const std::string& apiCode) = 0;
    virtual std::unique_ptr<DashboardPopover> makePopover() = 0;
};

}  // namespace quintrel
