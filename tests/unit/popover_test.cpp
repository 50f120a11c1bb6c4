// The dashboard popup's decisions: tab URLs, the no-code page, the navigation policy, and
// the line protocol between the app and the dashboard helper.

#include <gtest/gtest.h>

#include "popover/DashboardMessages.h"
#include "popover/DashboardTabs.h"

namespace quintrel::popover {
namespace {

constexpr const char* kWidgets = "https://widgets.quintrel.test";
constexpr const char* kCode = "abcdefghij0123456789ABCDEFGHIJ0123456789";

TEST(DashboardTabs, EachSegmentLoadsItsWidgetWithCodeFirst) {
    // No segment selected (-1), or one that does not exist (3): Overview.
    const std::pair<int, std::string> cases[] = {{0, "wp3.2.php?code="},
                                                 {1, "wp-map.php?code="},
                                                 {2, "wp-dashboard.php?code="},
                                                 {-1, "wp3.2.php?code="},
                                                 {3, "wp3.2.php?code="}};
    for (const auto& [segment, page] : cases) {
        const auto load = reloadSelectedTab(true, kWidgets, kCode, segment);
        ASSERT_TRUE(load) << segment;
        EXPECT_EQ(load->kind, PageLoad::Kind::remoteWidget) << segment;
        EXPECT_EQ(load->url, std::string(kWidgets) + "/widget/" + page + kCode +
                                 (segment == 1 ? "&archive=1" : ""));
    }
    EXPECT_EQ(reloadSelectedTab(true, "http://localhost:47311", "a b&c=d", 1)->url,
              "http://localhost:47311/widget/wp-map.php?code=a%20b%26c%3Dd&archive=1");
}

// Which hosts are web URLs is url::isWebURL's table; here, that it decides.
TEST(DashboardTabs, WithoutACodeOrAValidHostTheNoCodePageAndBeforeTheViewNothing) {
    for (const auto& [base, code] :
         {std::pair{kWidgets, ""}, {"", kCode}, {"widgets.quintrel.test", kCode}}) {
        const auto load = reloadSelectedTab(true, base, code, 1);
        ASSERT_TRUE(load);
        EXPECT_EQ(load->kind, PageLoad::Kind::noCodePage) << base << code;
        EXPECT_FALSE(reloadSelectedTab(false, base, code, 1));
    }
    EXPECT_FALSE(reloadSelectedTab(false, kWidgets, kCode, 1));
    // The page is fixed markup; only the sentence it shows is the system's own.
    EXPECT_NE(kNoCodePage.find("Please configure your Quintrel API code first."),
              std::string::npos);
}

TEST(NavigationPolicy, DecisionTable) {
    constexpr bool kNewWindow = false, kFrame = true, kMain = true, kSub = false;
    constexpr bool kAllow = true, kCancel = false, kOpens = true, kNot = false;
    // nullptr: no URL in the request. What is opened in the browser is always the URL.
    const struct {
        bool targetFrame, mainFrame;
        const char* url;
        bool allowed, opened;
    } cases[] = {
        {kFrame, kMain, "https://widgets.quintrel.test/widget/other.php", kAllow, kNot},
        {kFrame, kMain, "HTTPS://widgets.quintrel.test?x", kAllow, kNot},
        {kFrame, kMain, "https://elsewhere.example/x", kCancel, kOpens},
        {kFrame, kMain, "http://widgets.quintrel.test/x", kCancel, kOpens},
        {kFrame, kMain, "https://widgets.quintrel.test:8443/x", kCancel, kOpens},
        {kFrame, kMain, "https://widgets.quintrel.test@evil.example/", kCancel, kOpens},
        {kFrame, kSub, "https://maps.example/tile", kAllow, kNot},
        {kFrame, kMain, "smb://server/share", kCancel, kNot},
        {kFrame, kSub, "sftp://server/x", kCancel, kNot},
        {kFrame, kMain, nullptr, kAllow, kNot},
        {kNewWindow, kMain, "https://widgets.quintrel.test/x", kCancel, kOpens},
        {kNewWindow, kMain, "file:///etc/passwd", kCancel, kNot},
        {kNewWindow, kMain, "", kCancel, kNot},
        {kNewWindow, kMain, nullptr, kAllow, kNot},
    };
    for (const auto& c : cases) {
        NavigationAction action{c.targetFrame, c.mainFrame, std::nullopt};
        if (c.url) {
            action.url = c.url;
        }
        const auto policy = decidePolicy(action, kWidgets);
        SCOPED_TRACE(std::string(c.targetFrame ? "frame " : "new window ") +
                     (c.url ? c.url : "<no URL>"));
        EXPECT_EQ(policy.decision == NavigationPolicy::Decision::allow, c.allowed);
        EXPECT_EQ(policy.openInBrowser,
                  c.opened ? std::optional<std::string>(c.url) : std::nullopt);
    }
}

// One row per shape of fields: no fields, a URL, three numbers, a number, a word, free texts. The
// type names themselves are the parser's table; the refusal test below reaches its edges.
TEST(DashboardMessages, EveryShapeRoundTrips) {
    using T = MessageType;
    const struct {
        Sender from;
        DashboardMessage message;
    } cases[] = {
        {Sender::app, {T::show, {"-20", "1079", "2"}}},
        {Sender::app, {T::hide, {}}},
        {Sender::app, {T::load, {"https://w.example/widget/wp-map.php?code=a%20b&archive=1"}}},
        // Texts with spaces, '%', an empty field, a lone "-", non-ASCII and control bytes.
        {Sender::app, {T::status, {"Last checked: 2026-12-07 10:00:00", ""}}},
        {Sender::app, {T::status, {"-", "Last error: 50% \"é\"\tx\r\ny"}}},
        {Sender::helper, {T::tab, {"1"}}},
        {Sender::helper, {T::button, {"privacy"}}},
    };
    for (const auto& c : cases) {
        const std::string line = formatMessage(c.message);
        ASSERT_EQ(line.back(), '\n');
        const std::string_view body(line.data(), line.size() - 1);
        EXPECT_EQ(body.find('\n'), std::string_view::npos) << body;
        const auto parsed = parseMessage(body, c.from);
        ASSERT_TRUE(parsed.message) << body << ": " << parsed.error;
        EXPECT_EQ(*parsed.message, c.message) << body;
    }
}

TEST(DashboardMessages, RefusesBadLines) {
    // Another version, an unknown type or the helper's own, a stray space, too few or too
    // many fields, an empty URL, a broken escape, a raw control byte, no such segment, a
    // number out of range, an oversized line.
    for (const char* line :
         {"", "q2 hide", "q1 explode", "q1 ready", "q1 hide ", "q1 show 1 2", "q1 load a b",
          "q1 load -", "q1 load http://x/%4", "q1 load http://x/\x01", "q1 show 1 2 3",
          "q1 show x 2 0", "q1 show 1 99999999999999999999 0"}) {
        const auto parsed = parseMessage(line, Sender::app);
        EXPECT_FALSE(parsed.message) << line;
        EXPECT_FALSE(parsed.error.empty()) << line;
    }
    EXPECT_FALSE(parseMessage("q1 load https://x/" + std::string(kMaxMessageLine, 'a'), Sender::app)
                     .message);
    for (const char* line : {"q1 quit", "q1 tab 1.5", "q1 button format", "q1 loaded yes"}) {
        EXPECT_FALSE(parseMessage(line, Sender::helper).message) << line;
    }
}

}  // namespace
}  // namespace quintrel::popover
