// The app's start-up with and without a code, its first poll as it leaves the real HTTP
// client, and the tray item as the panel sees it. scripts/test runs these under
// AddressSanitizer too.

#include <regex>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using StartupTest = E2eTest;

TEST_F(StartupTest, WithACodeShowsQuintrelThenDotsThenTheCount) {
    startWithCode();
    const auto poll = firstAnsweredPoll();
    // What the logic built reaches the service unchanged: items, order, the code.
    EXPECT_TRUE(std::regex_match(poll.query, std::regex("v=[^&]*&client=[^&]*&code=[^&]*&"
                                                        "shownotify=[^&]*&keepalive=[^&]*&"
                                                        "idle=[^&]*&nocache=[^&]*")))
        << poll.query;
    EXPECT_EQ(poll.queryValue("code"), kDemoCode);
    const auto online = std::to_string(nlohmann::json::parse(poll.body).at("online").get<int>());
    ASSERT_TRUE(waitForLabel(online));
    EXPECT_EQ(labels(), (std::vector<std::string>{"Quintrel", "...", online}));
    // The title is the tooltip too, and the icon carries it for panels without labels.
    EXPECT_TRUE(waitForPanelLine([&](const std::string& l) {
        return l.starts_with("item ") && l.find("label=\"" + online) != std::string::npos &&
               l.find("tooltip=\"" + online + "\"") != std::string::npos &&
               l.find("icon=none") == std::string::npos;
    }));
}

TEST_F(StartupTest, ThePanelForgetsTheItemWhenTheAppEnds) {
    startWithCode();
    ASSERT_TRUE(waitForItem());
    app().stop();
    EXPECT_TRUE(
        waitForPanelLine([](const std::string& l) { return l.starts_with("unregistered "); }));
}

TEST_F(StartupTest, WithoutACodeMakesNoRequest) {
    ASSERT_TRUE(startPanel());
    ASSERT_TRUE(startApp());
    ASSERT_TRUE(waitForItem());
    // The panel has read the item, so start-up is over; a request it had started would
    // reach the stand-in well within this settling time.
    waitUntil([] { return false; }, 3s);
    EXPECT_TRUE(standin().log().empty());
    EXPECT_EQ(labels(), std::vector<std::string>{"Quintrel"});
}

TEST_F(StartupTest, BothClicksReachTheItem) {
    startWithCode();
    ASSERT_TRUE(waitForItem());
    panelCommand("click 1200 10");
    panelCommand("context 1200 10");
    for (const std::string method : {"Activate", "ContextMenu"}) {
        EXPECT_TRUE(waitForPanelLine([&](const std::string& l) {
            return l.starts_with("called ") && l.ends_with(" " + method + " ok");
        })) << method;
    }
    EXPECT_TRUE(app().running());
}

}  // namespace
}  // namespace quintrel::e2e
