// The dashboard popup's decisions: tab URLs, the no-code page, the navigation policy.

#include <gtest/gtest.h>

#include "popover/DashboardTabs.h"
#include "settings/QuintrelLegalLinks.h"

namespace quintrel::popover {
namespace {

constexpr const char* kWidgets = "https://widgets.quintrel.test";
constexpr const char* kCode = "abcdefghij0123456789ABCDEFGHIJ0123456789";

TEST(DashboardTabs, EachSegmentLoadsItsWidgetWithCodeFirst) {
    const std::string code = kCode;
    const struct {
        int segment;
        std::string url;
    } cases[] = {
        {0, std::string(kWidgets) + "/widget/wp3.2.php?code=" + code},
        {1, std::string(kWidgets) + "/widget/wp-map.php?code=" + code + "&archive=1"},
        {2, std::string(kWidgets) + "/widget/wp-dashboard.php?code=" + code},
        // No segment selected, or one that does not exist: Overview.
        {-1, std::string(kWidgets) + "/widget/wp3.2.php?code=" + code},
        {3, std::string(kWidgets) + "/widget/wp3.2.php?code=" + code},
    };
    for (const auto& c : cases) {
        const auto load = reloadSelectedTab(true, kWidgets, code, c.segment);
        ASSERT_TRUE(load) << c.segment;
        EXPECT_EQ(load->kind, PageLoad::Kind::remoteWidget) << c.segment;
        EXPECT_EQ(load->url, c.url) << c.segment;
    }
}

TEST(DashboardTabs, LabelsInSegmentOrder) {
    std::vector<std::string_view> labels;
    for (const auto& tab : dashboardTabs()) {
        labels.push_back(tab.label);
    }
    EXPECT_EQ(labels, (std::vector<std::string_view>{"Overview", "Map", "Recent Visitors"}));
}

TEST(DashboardTabs, CodeIsPercentEncodedAsAQueryValue) {
    EXPECT_EQ(widgetURL(kWidgets, "a b&c=d", "/widget/wp-map.php", {{"archive", "1"}}),
              std::string(kWidgets) + "/widget/wp-map.php?code=a%20b%26c%3Dd&archive=1");
}

TEST(DashboardTabs, ALocalWidgetHostWithAPortWorks) {
    EXPECT_EQ(reloadSelectedTab(true, "http://localhost:47311", "xyz", 0)->url,
              "http://localhost:47311/widget/wp3.2.php?code=xyz");
}

TEST(DashboardTabs, EmptyCodeShowsTheNoCodePageOnEveryTab) {
    for (const int segment : {0, 1, 2, -1}) {
        const auto load = reloadSelectedTab(true, kWidgets, "", segment);
        ASSERT_TRUE(load);
        EXPECT_EQ(load->kind, PageLoad::Kind::noCodePage);
        EXPECT_TRUE(load->url.empty());
    }
}

TEST(DashboardTabs, NothingLoadsBeforeTheViewExists) {
    EXPECT_FALSE(reloadSelectedTab(false, kWidgets, kCode, 1));
    EXPECT_FALSE(reloadSelectedTab(false, kWidgets, "", 0));
}

TEST(DashboardTabs, AnInvalidWidgetHostFallsBackToTheNoCodePage) {
    for (const char* base : {"", "widgets.quintrel.test", "https://", "https://bad host"}) {
        const auto load = reloadSelectedTab(true, base, kCode, 0);
        ASSERT_TRUE(load);
        EXPECT_EQ(load->kind, PageLoad::Kind::noCodePage) << base;
    }
}

TEST(DashboardTabs, NoCodePageIsExactly188Bytes) {
    EXPECT_EQ(kNoCodePage.size(), 188u);
    EXPECT_EQ(kNoCodePage.substr(0, 16), "<!doctype html>\n");
    EXPECT_NE(kNoCodePage.find("\nPlease configure your Quintrel API code first.\n"),
              std::string_view::npos);
    EXPECT_EQ(kNoCodePage.back(), '>');
}

TEST(NavigationPolicy, DecisionTable) {
    using Decision = NavigationPolicy::Decision;
    constexpr bool kNewWindow = false, kFrame = true, kMain = true, kSub = false;
    // nullptr: no URL in the request, nothing opened in the browser.
    const struct {
        bool targetFrame;
        bool mainFrame;
        const char* url;
        Decision decision;
        const char* opened;
    } cases[] = {
        {kFrame, kMain, "https://widgets.quintrel.test/widget/other.php", Decision::allow, nullptr},
        {kFrame, kMain, "HTTPS://widgets.quintrel.test?x", Decision::allow, nullptr},
        {kFrame, kMain, "https://elsewhere.example/x", Decision::cancel,
         "https://elsewhere.example/x"},
        {kFrame, kMain, "http://widgets.quintrel.test/x", Decision::cancel,
         "http://widgets.quintrel.test/x"},
        {kFrame, kMain, "https://widgets.quintrel.test:8443/x", Decision::cancel,
         "https://widgets.quintrel.test:8443/x"},
        {kFrame, kMain, "https://widgets.quintrel.test@evil.example/", Decision::cancel,
         "https://widgets.quintrel.test@evil.example/"},
        {kFrame, kSub, "https://maps.example/tile", Decision::allow, nullptr},
        {kFrame, kSub, "about:blank", Decision::allow, nullptr},
        {kFrame, kMain, "smb://server/share", Decision::cancel, nullptr},
        {kFrame, kSub, "sftp://server/x", Decision::cancel, nullptr},
        {kFrame, kMain, "javascript:void(0)", Decision::cancel, nullptr},
        {kFrame, kMain, "file:///etc/passwd", Decision::cancel, nullptr},
        {kFrame, kMain, nullptr, Decision::allow, nullptr},
        {kNewWindow, kMain, "https://www.quintrel.com/a?b=1", Decision::cancel,
         "https://www.quintrel.com/a?b=1"},
        {kNewWindow, kMain, "https://widgets.quintrel.test/x", Decision::cancel,
         "https://widgets.quintrel.test/x"},
        {kNewWindow, kMain, "file:///etc/passwd", Decision::cancel, nullptr},
        {kNewWindow, kMain, "javascript:alert(1)", Decision::cancel, nullptr},
        {kNewWindow, kMain, "x-scheme:run", Decision::cancel, nullptr},
        {kNewWindow, kMain, "", Decision::cancel, nullptr},
        {kNewWindow, kMain, nullptr, Decision::allow, nullptr},
    };
    for (const auto& c : cases) {
        NavigationAction action{c.targetFrame, c.mainFrame, std::nullopt};
        if (c.url) {
            action.url = c.url;
        }
        const auto policy = decidePolicy(action, kWidgets);
        const std::string what =
            std::string(c.targetFrame ? "frame " : "new window ") + (c.url ? c.url : "<no URL>");
        EXPECT_EQ(policy.decision, c.decision) << what;
        EXPECT_EQ(policy.openInBrowser.value_or("<none>"), c.opened ? c.opened : "<none>") << what;
    }
}

TEST(StatusLines, PrefixesBothTextsAndIgnoresTheFlag) {
    const auto lines = statusLines("Checking...", "None");
    EXPECT_EQ(lines.lastChecked, "Last checked: Checking...");
    EXPECT_EQ(lines.lastError, "Last error: None");
}

TEST(QuintrelLegalLinks, BothPagesUnderTheServiceBase) {
    const auto links = QuintrelLegalLinks::forService("https://www.quintrel.com");
    EXPECT_EQ(links.privacyPolicy, "https://www.quintrel.com/privacy.php");
    EXPECT_EQ(links.terms, "https://www.quintrel.com/terms.php");
}

}  // namespace
}  // namespace quintrel::popover
