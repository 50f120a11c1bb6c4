// The two cases that wait for the real timers: the 45 s poll and the 30 s refresh time-out.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using SlowTest = E2eTest;

TEST_F(SlowTest, LockedScreenMakesTheNextPollQuiet) {
    startWithCode();
    EXPECT_EQ(firstAnsweredPoll().queryValue("shownotify"), "1");
    screenSaver().setActive(true);
    ASSERT_TRUE(waitForRequests(2, kPoll, 70s));
    EXPECT_NE(standin().requests(kPoll).at(1).query.find("&shownotify=0&keepalive=0&idle=1&"),
              std::string::npos);
}

TEST_F(SlowTest, ReplyAfterThirtySecondsEndsInTheTimeout) {
    ASSERT_TRUE(standin().script({{"path", kPoll}, {"delay_ms", 31000}}));
    QProcessEnvironment environment;
    environment.insert("QUINTREL_TEST_STATUS_TEXTS", "1");
    startWithCode(environment);
    ASSERT_TRUE(waitForLabel("..."));
    const auto failed = waitForAppLine("Quintrel refresh failed: ", 0, 50s);
    ASSERT_TRUE(failed.has_value());
    EXPECT_TRUE(waitForAppLine("Ignoring stale Quintrel refresh completion", *failed));
    EXPECT_TRUE(waitForLabel("Quintrel"));
    EXPECT_EQ(labels(), (std::vector<std::string>{"Quintrel", "...", "Quintrel"}));
    EXPECT_TRUE(app().saidOnStandardError("\tRefresh timed out after 30s\n"))
        << app().standardError();
}

}  // namespace
}  // namespace quintrel::e2e
