// The app's start-up, its poll and how it survives a slow or failing service.

#include <regex>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

const std::string kPoll = "/api/chrome.php";

using StartupTest = E2eTest;

TEST_F(StartupTest, WithACodeShowsQuintrelThenDotsThenTheCount) {
    startWithCode();
    const auto poll = firstAnsweredPoll();
    const auto online = std::to_string(nlohmann::json::parse(poll.body).at("online").get<int>());
    ASSERT_TRUE(session().waitForLabel(online));
    EXPECT_EQ(session().labels(), (std::vector<std::string>{"Quintrel", "...", online}));
    // The title is the tooltip too, and the icon carries it for panels without labels.
    ASSERT_TRUE(waitUntil(
        [&] { return session().lastItemLine().find("label=\"" + online) != std::string::npos; },
        kTimeout));
    const auto item = session().lastItemLine();
    EXPECT_NE(item.find("tooltip=\"" + online + "\""), std::string::npos) << item;
    EXPECT_EQ(item.find("icon=none"), std::string::npos) << item;
}

TEST_F(StartupTest, ThePanelForgetsTheItemWhenTheAppEnds) {
    startWithCode();
    ASSERT_TRUE(session().waitForItem());
    session().app().stop();
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto& lines = session().panel().lines();
            return std::any_of(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.starts_with("unregistered "); });
        },
        kTimeout));
}

TEST_F(StartupTest, PollCarriesTheSevenItemsInOrder) {
    startWithCode();
    const auto poll = firstAnsweredPoll();
    EXPECT_EQ(poll.method, "GET");
    EXPECT_EQ(poll.queryNames(), (std::vector<std::string>{"v", "client", "code", "shownotify",
                                                           "keepalive", "idle", "nocache"}));
    EXPECT_EQ(poll.queryValue("v"), "2");
    EXPECT_EQ(poll.queryValue("client"), "mac");
    EXPECT_EQ(poll.queryValue("code"), kDemoCode);
    EXPECT_EQ(poll.queryValue("shownotify"), "1");
    EXPECT_EQ(poll.queryValue("keepalive"), "1");
    EXPECT_EQ(poll.queryValue("idle"), "0");
    const auto nocache = poll.queryValue("nocache").value_or("");
    EXPECT_TRUE(std::regex_match(nocache, std::regex(R"(\d{10}\.\d{1,7})"))) << nocache;
    // The client's clock and the stand-in's are the same machine's.
    EXPECT_NEAR(std::stod(nocache), poll.time, 60.0);
}

TEST_F(StartupTest, WithoutACodeMakesNoRequest) {
    ASSERT_TRUE(session().startPanel());
    ASSERT_TRUE(session().startApp());
    ASSERT_TRUE(session().waitForItem());
    // The panel has read the item, so start-up is over; a request it had started would
    // reach the stand-in well within this settling time.
    waitUntil([] { return false; }, 3s);
    EXPECT_TRUE(session().standin().log().empty());
    EXPECT_EQ(session().labels(), std::vector<std::string>{"Quintrel"});
}

TEST_F(StartupTest, TrayRegistersWhenThePanelStartsAfterTheApp) {
    session().writePreferences({{"qnapicode", kDemoCode}});
    ASSERT_TRUE(session().startApp());
    const auto poll = firstAnsweredPoll();
    const auto online = std::to_string(nlohmann::json::parse(poll.body).at("online").get<int>());
    ASSERT_TRUE(session().startPanel());
    ASSERT_TRUE(session().waitForItem());
    EXPECT_TRUE(session().waitForLabel(online));
}

TEST_F(StartupTest, BothClicksReachTheItem) {
    startWithCode();
    ASSERT_TRUE(session().waitForItem());
    session().panelCommand("click 1200 10");
    session().panelCommand("context 1200 10");
    const auto called = [&](const std::string& method) {
        return waitUntil(
            [&] {
                const auto& lines = session().panel().lines();
                return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
                    return l.starts_with("called ") && l.ends_with(" " + method + " ok");
                });
            },
            kTimeout);
    };
    EXPECT_TRUE(called("Activate"));
    EXPECT_TRUE(called("ContextMenu"));
    EXPECT_TRUE(session().app().running());
}

}  // namespace
}  // namespace quintrel::e2e
