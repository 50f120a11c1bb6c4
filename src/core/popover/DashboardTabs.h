#pragma once
// What the dashboard popup shows and allows, decided without any widget: the tab
// table, the widget URLs, the page without a code, the navigation policy, the status lines.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "util/Url.h"

namespace quintrel::popover {

struct DashboardTab {
    std::string_view label;
    std::string_view path;
    std::vector<url::QueryItem> extraQueryItems;  // sent after "code", in this order
};

// The tabs in segment order: "Overview", "Map", "Recent Visitors".
std::span<const DashboardTab> dashboardTabs();

// The tab of `segment`; Overview for any segment that is not one (none selected is -1).
const DashboardTab& tabForSegment(int segment);

// The widget host's base, the path, then "code" and the extra items in order. None when
// the base does not form a valid URL.
std::optional<std::string> widgetURL(std::string_view widgetBase, std::string_view apiCode,
                                     std::string_view path,
                                     const std::vector<url::QueryItem>& extraQueryItems);

// Shown, with no base URL, whenever there is no code or no valid widget URL.
inline constexpr std::string_view kNoCodePage =
    "<!doctype html>\n<html>\n<body style=\"font-family: -apple-system, BlinkMacSystemFont, "
    "sans-serif; padding: 24px; color: #333;\">\nPlease configure your Quintrel API code "
    "first.\n</body>\n</html>";

// What the web view is asked to load.
struct PageLoad {
    enum class Kind { remoteWidget, noCodePage };
    Kind kind;
    std::string url;  // the widget URL; empty for the no-code page
};

// Loads a tab: its widget URL, or the no-code page when none can be built.
PageLoad loadRemoteWidget(std::string_view widgetBase, std::string_view apiCode,
                          const DashboardTab& tab);

// What reloading the selected tab loads: nothing before the view exists, the no-code
// page without a code, else the selected tab's widget.
std::optional<PageLoad> reloadSelectedTab(bool isViewLoaded, std::string_view widgetBase,
                                          std::string_view apiCode, int selectedSegment);

// A navigation the web view asks about. A request for a new window (a target=_blank
// link, window.open) has no target frame. The web view's own loads (the selected tab,
// the no-code page) are not asked about. `followsClick`: the user clicked in the page
// (or pressed a key there) shortly before, and no link went to the browser since.
struct NavigationAction {
    bool hasTargetFrame = true;
    bool isMainFrame = true;
    std::optional<std::string> url;
    bool followsClick = false;
};

struct NavigationPolicy {
    enum class Decision { allow, cancel };
    Decision decision;
    // Opened in the default browser; only ever an http or https URL.
    std::optional<std::string> openInBrowser;
};

// The main frame stays on the widget host (`widgetBase`'s scheme, host and port): any
// other web address goes to the browser instead. A new window goes to the browser and is
// cancelled. Only a navigation that follows a click reaches the browser: a page's own
// timers and redirects are cancelled and open nothing. Embedded frames may load any web
// page. Every other scheme (file:, smb:, javascript:, custom handlers) is cancelled and
// opened nowhere; about: pages stay allowed inside the page.
NavigationPolicy decidePolicy(const NavigationAction& action, std::string_view widgetBase);

struct StatusLines {
    std::string lastChecked;
    std::string lastError;
};

StatusLines statusLines(std::string_view lastChecked, std::string_view lastError);

inline constexpr int kPreferredWidth = 680;
inline constexpr int kPreferredHeight = 560;

}  // namespace quintrel::popover
