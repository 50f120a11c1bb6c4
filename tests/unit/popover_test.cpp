// The dashboard popup's decisions: tab URLs, navigation policy, the helper's line protocol.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"
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
    EXPECT_NE(kNoCodePage.find("Please configure your Quintrel API code first."),
              std::string::npos);
}

TEST(NavigationPolicy, DecisionTable) {
    constexpr bool kNewWindow = false, kFrame = true, kMain = true, kSub = false;
    constexpr bool kAllow = true, kCancel = false, kOpens = true, kNot = false;
    // nullptr: no URL in the request; unless a row says otherwise, the user just clicked.
    const struct {
        bool targetFrame, mainFrame;
        const char* url;
        bool allowed, opened;
        bool click = true;
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
        // A page's own timers and redirects: the same rules, but nothing reaches the browser.
        {kFrame, kMain, "https://elsewhere.example/x", kCancel, kNot, false},
        {kNewWindow, kMain, "https://widgets.quintrel.test/x", kCancel, kNot, false},
        {kFrame, kMain, "https://widgets.quintrel.test/widget/other.php", kAllow, kNot, false},
    };
    for (const auto& c : cases) {
        NavigationAction action{c.targetFrame, c.mainFrame, std::nullopt, c.click};
        if (c.url) {
            action.url = c.url;
        }
        const auto policy = decidePolicy(action, kWidgets);
        SCOPED_TRACE(std::string(c.targetFrame ? "frame " : "new window ") +
                     (c.url ? c.url : "<no URL>") + (c.click ? "" : ", no click"));
        EXPECT_EQ(policy.decision == NavigationPolicy::Decision::allow, c.allowed);
        EXPECT_EQ(policy.openInBrowser,
                  c.opened ? std::optional<std::string>(c.url) : std::nullopt);
    }
}

// One row per shape of fields; the refusals below reach the parser's edges.
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
    for (const char* line :
         {"", "q2 hide", "q1 explode", "q1 ready", "q1 hide ", "q1 show 1 2", "q1 load a b",
          "q1 load -", "q1 load http://x/%4", "q1 load http://x/\x01", "q1 show 1 2 3",
          "q1 show x 2 0", "q1 show 1 99999999999999999999 0"}) {
        const auto parsed = parseMessage(line, Sender::app);
        EXPECT_FALSE(parsed.message) << line;
        EXPECT_FALSE(parsed.error.empty()) << line;
    }
    for (const char* line : {"q1 quit", "q1 tab 1.5", "q1 button format", "q1 loaded yes"}) {
        EXPECT_FALSE(parseMessage(line, Sender::helper).message) << line;
    }
}

// The helper's output as the app reads it: each message as name and fields (a long one as its
// size), each refusal as "!" and why.
std::vector<std::string> readFromHelper(const std::vector<std::string>& chunks) {
    DashboardLineReader reader(Sender::helper);
    std::vector<std::string> out;
    for (const auto& chunk : chunks) {
        reader.append(chunk);
        while (const auto parsed = reader.next()) {
            if (!parsed->message) {
                out.push_back("!" + parsed->error);
                continue;
            }
            std::string shown(messageName(parsed->message->type));
            for (const auto& field : parsed->message->fields) {
                shown += " " + (field.size() > 20 ? std::to_string(field.size()) : field);
            }
            out.push_back(shown);
        }
    }
    return out;
}

TEST(DashboardLineReader, SplitsJoinsAndRefusesLines) {
    const std::string longest = "q1 open https://x/" + std::string(kMaxMessageLine - 18, 'a');
    const std::string tooLong = "!line longer than 8192 bytes";
    const struct {
        std::vector<std::string> chunks;
        std::vector<std::string> read;
    } cases[] = {
        {{"q1 re", "ady\nq1 ta", "b", " 1\n"}, {"ready", "tab 1"}},
        {{"q1 ready\nq1 tab 0\nq1 hidden\n"}, {"ready", "tab 0", "hidden"}},
        // A line of the longest length, its newline coming later, passes.
        {{"q1 ready\n", longest, "\n"}, {"ready", "open 8184"}},
        // Too long is said once, early, and the rest of the line dropped.
        {{"q1 ready\n", longest + "a", std::string(20'000, 'b'), "c\nq1 hidden\n"},
         {"ready", tooLong, "hidden"}},
        {{"q1 ready\n" + longest + "a\nq1 tab 2\n"}, {"ready", tooLong, "tab 2"}},
        // A last line without its newline is never read.
        {{"q1 ready\nq1 hidd"}, {"ready"}},
        // A bad line is refused and the next one read; the handshake comes first and once.
        {{"q1 ready\nq1 explode\nq1 hidden\n"}, {"ready", "!unknown message type", "hidden"}},
        {{"q1 tab 1\nq1 ready\nq1 ready\n"},
         {"!tab before the handshake", "ready", "!ready after the handshake"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readFromHelper(c.chunks), c.read) << c.chunks.front().substr(0, 30);
    }
}

// The parsed line of `message`, as the helper reads it after the app's handshake.
ParsedMessage throughTheChannel(const DashboardMessage& message) {
    DashboardLineReader reader(Sender::app);
    reader.append(formatMessage({MessageType::config, {kWidgets}}) + formatMessage(message));
    reader.next();
    return *reader.next();
}

// Whatever the service answers or the tray host reports, the app builds no line the helper
// would refuse (and quit over).
TEST(DashboardMessages, EveryStatusAndShowTheAppBuildsPassesTheChannel) {
    fakes::FakePlatform fakes;
    const auto delegate = fakes.makeDelegate();
    delegate->applicationDidFinishLaunching();  // no code yet: the settings window opens
    fakes.preferences.set(prefs::apiCode, kCode);
    const Status& texts = delegate->status();

    const std::string pieces[] = {"a",   "\u0301", "\u00e9", "\u6f22", "\U0001F44D\U0001F3FD",
                                  " ",   "%",      "-",      "\r\n",   "\x1b[31m",
                                  "\a",  {'\0'},   "\u0085", "\xff",   "<b>&amp;",
                                  kCode, "code=",  "\t"};
    std::mt19937 random(2026);
    for (int round = 0; round < 300; ++round) {
        // The first: a letter under 6000 accents.
        const std::size_t length = round == 0 ? 12'001 : random() % 20'000;
        std::string error = "a";
        while (error.size() < length) {
            error += round == 0 ? std::string("\u0301") : pieces[random() % std::size(pieces)];
        }
        fakes.settingsWindows.reports.showError(error);
        const auto lines = statusLines(texts.lastChecked, texts.lastError);
        const auto parsed = throughTheChannel(statusMessage(lines.lastChecked, lines.lastError));
        ASSERT_TRUE(parsed.message) << "round " << round << ": " << parsed.error;
        EXPECT_EQ(parsed.message->fields[1], lines.lastError);
        EXPECT_EQ(texts.lastError.find(kCode), std::string::npos);
        EXPECT_TRUE(std::ranges::none_of(
            texts.lastError,
            [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
            << "round " << round;
    }

    std::vector<long> coordinates{LONG_MIN, -kMaxCoordinate - 1, -20, 0, 2'000'000, LONG_MAX};
    for (int i = 0; i < 50; ++i) {
        coordinates.push_back(static_cast<long>(random()) * (i % 2 ? 1 : -1) * i);
    }
    for (const long x : coordinates) {
        for (const long y : coordinates) {
            const auto parsed = throughTheChannel(showMessage(x, y, static_cast<int>(x & 1)));
            ASSERT_TRUE(parsed.message) << x << ", " << y << ": " << parsed.error;
        }
    }
    EXPECT_EQ(throughTheChannel(showMessage(-20, 1079, 1)).message->fields,
              (std::vector<std::string>{"-20", "1079", "1"}));
}

}  // namespace
}  // namespace quintrel::popover
