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

TEST_F(StartupTest, LockedScreenMakesTheNextPollQuiet) {
    startWithCode();
    const auto first = firstAnsweredPoll();
    EXPECT_EQ(first.queryValue("shownotify"), "1");
    session().screenSaver().setActive(true);
    // The timer's first tick comes 45 s after start-up.
    ASSERT_TRUE(session().waitForRequests(2, kPoll, 70s));
    const auto second = session().standin().requests(kPoll).at(1);
    EXPECT_EQ(second.queryValue("shownotify"), "0");
    EXPECT_EQ(second.queryValue("keepalive"), "0");
    EXPECT_EQ(second.queryValue("idle"), "1");
    EXPECT_NE(second.query.find("&shownotify=0&keepalive=0&idle=1&"), std::string::npos);
}

TEST_F(StartupTest, ReplyAfterThirtySecondsEndsInTheTimeout) {
    ASSERT_TRUE(session().standin().script({{"path", kPoll}, {"delay_ms", 31000}}));
    startWithCode();
    ASSERT_TRUE(session().waitForLabel("..."));
    const auto failed = session().waitForAppLine("Quintrel refresh failed: ", 0, 50s);
    ASSERT_TRUE(failed.has_value());
    EXPECT_TRUE(session().waitForAppLine("Ignoring stale Quintrel refresh completion", *failed));
    EXPECT_TRUE(session().waitForLabel("Quintrel"));
    EXPECT_EQ(session().labels(), (std::vector<std::string>{"Quintrel", "...", "Quintrel"}));
    for (const auto& line : session().app().lines()) {
        EXPECT_EQ(line.find(kDemoCode), std::string::npos) << "the API code leaked: " << line;
    }
}

// A service that fails in one of several ways: the title goes back to "Quintrel", no
// count is shown, and the API code never appears in what the app prints.
struct FailureCase {
    const char* name;
    nlohmann::json script;  // {} for none
    std::string code;
    bool printsFailureLine;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class ServiceFailure : public E2eTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(ServiceFailure, GivesQuintrel) {
    const auto& param = GetParam();
    if (!param.script.empty()) {
        ASSERT_TRUE(session().standin().script(param.script));
    }
    startWithCode(param.code);
    ASSERT_TRUE(waitUntil([&] { return session().labels().size() >= 3; }, kTimeout))
        << "labels so far: " << session().labels().size();
    EXPECT_EQ(session().labels(), (std::vector<std::string>{"Quintrel", "...", "Quintrel"}));
    if (param.printsFailureLine) {
        EXPECT_TRUE(session().waitForAppLine("Quintrel refresh failed: ").has_value());
    }
    for (const auto& line : session().app().lines()) {
        EXPECT_EQ(line.find(param.code), std::string::npos) << "the API code leaked: " << line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServiceFailure,
    testing::Values(
        FailureCase{
            "status_503", {{"path", kPoll}, {"status", 503}, {"body", "busy"}}, kDemoCode, false},
        FailureCase{"connection_dropped", {{"path", kPoll}, {"drop", true}}, kDemoCode, true},
        FailureCase{"unknown_code_403", {}, "UnknownCode0123456789abcdefghijklmnopq", false},
        FailureCase{"unreadable_reply",
                    {{"path", kPoll}, {"body", R"({"online":"5","pv":1,"notify":0})"}},
                    kDemoCode,
                    false}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quintrel::e2e
