// Start-up with a code: the first poll as it leaves the app, the tray item as a panel sees it.

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
}

}  // namespace
}  // namespace quintrel::e2e
