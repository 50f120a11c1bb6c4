#include "popover/DashboardTabs.h"

#include <array>

namespace quintrel::popover {

std::span<const DashboardTab> dashboardTabs() {
    static const std::array<DashboardTab, 3> tabs{{
        {"Overview", "/widget/wp3.2.php", {}},
        {"Map", "/widget/wp-map.php", {{"archive", "1"}}},
        {"Recent Visitors", "/widget/wp-dashboard.php", {}},
    }};
    return tabs;
}

const DashboardTab& tabForSegment(int segment) {
    const auto tabs = dashboardTabs();
    if (segment < 0 || static_cast<std::size_t>(segment) >= tabs.size()) {
        return tabs.front();
    }
    return tabs[static_cast<std::size_t>(segment)];
}

std::optional<std::string> widgetURL(std::string_view widgetBase, std::string_view apiCode,
                                     std::string_view path,
                                     const std::vector<url::QueryItem>& extraQueryItems) {
    std::vector<url::QueryItem> items{{"code", std::string(apiCode)}};
    items.insert(items.end(), extraQueryItems.begin(), extraQueryItems.end());
    std::string base(widgetBase);
    base += path;
    return url::withQuery(base, items);
}

PageLoad loadRemoteWidget(std::string_view widgetBase, std::string_view apiCode,
                          const DashboardTab& tab) {
    if (auto page = widgetURL(widgetBase, apiCode, tab.path, tab.extraQueryItems)) {
        return {PageLoad::Kind::remoteWidget, std::move(*page)};
    }
    return {PageLoad::Kind::noCodePage, {}};
}

std::optional<PageLoad> reloadSelectedTab(bool isViewLoaded, std::string_view widgetBase,
                                          std::string_view apiCode, int selectedSegment) {
    if (!isViewLoaded) {
        return std::nullopt;
    }
    if (apiCode.empty()) {
        return PageLoad{PageLoad::Kind::noCodePage, {}};
    }
    return loadRemoteWidget(widgetBase, apiCode, tabForSegment(selectedSegment));
}

NavigationPolicy decidePolicy(const NavigationAction& action) {
    using Decision = NavigationPolicy::Decision;
    if (action.hasTargetFrame || !action.url) {
        return {Decision::allow, std::nullopt};
    }
    if (url::isWebURL(*action.url)) {
        return {Decision::cancel, *action.url};
    }
    return {Decision::cancel, std::nullopt};
}

StatusLines statusLines(std::string_view lastChecked, std::string_view lastError) {
    return {"Last checked: " + std::string(lastChecked), "Last error: " + std::string(lastError)};
}

}  // namespace quintrel::popover
