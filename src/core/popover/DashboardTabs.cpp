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

namespace {

// "scheme://authority" of a web URL, the scheme lower-cased; the authority as written,
// so that user info or an odd port never passes for the widget host.
std::string origin(std::string_view address) {
    const auto scheme = url::scheme(address);
    const std::size_t start = address.find("://");
    if (!scheme || start == std::string_view::npos) {
        return {};
    }
    const std::string_view rest = address.substr(start + 3);
    return *scheme + "://" + std::string(rest.substr(0, rest.find_first_of("/?#")));
}

}  // namespace

NavigationPolicy decidePolicy(const NavigationAction& action, std::string_view widgetBase) {
    using Decision = NavigationPolicy::Decision;
    if (!action.url) {
        return {Decision::allow, std::nullopt};
    }
    const std::string& address = *action.url;
    const bool web = url::isWebURL(address);
    const auto toBrowser =
        web && action.followsClick ? std::optional(address) : std::optional<std::string>();
    if (!action.hasTargetFrame) {
        return {Decision::cancel, toBrowser};
    }
    if (!web) {
        const bool aboutPage = url::scheme(address) == std::optional<std::string>("about");
        return {aboutPage ? Decision::allow : Decision::cancel, std::nullopt};
    }
    if (!action.isMainFrame || origin(address) == origin(widgetBase)) {
        return {Decision::allow, std::nullopt};
    }
    return {Decision::cancel, toBrowser};
}

StatusLines statusLines(std::string_view lastChecked, std::string_view lastError) {
    return {"Last checked: " + std::string(lastChecked), "Last error: " + std::string(lastError)};
}

}  // namespace quintrel::popover
