// Start-up with a code, then a hostile service: each fault reaches the tray and the status
// texts, then the count returns.

#include <regex>
#include <sstream>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

const std::string kTimedOut = "Refresh timed out after 8s";

// The last errors of the refreshes the app has closed so far, from its status texts.
std::vector<std::string> closedRefreshErrors(Child& app) {
    std::vector<std::string> errors;
    std::istringstream lines(app.standardError());
    static const std::regex status("status-texts\t([^\t]*)\t(.*)");
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        if (std::regex_match(line, match, status) && match[1] != "Checking...") {
            errors.push_back(match[2]);
        }
    }
    return errors;
}

using HostileServiceTest = E2eTest;

TEST_F(HostileServiceTest, EachFaultEndsInItsErrorAndTheNextReplyShowsTheCount) {
    struct Mode {
        const char* name;
        nlohmann::json script;
        std::string error;
    };
    const std::vector<Mode> modes{
        {"10 MB body", {{"fault", "huge_body"}}, "The response is larger than 1 MiB."},
        {"reset mid-body", {{"fault", "reset"}}, "The network connection was lost."},
        {"a body that trickles for 60 s", {{"fault", "trickle"}}, kTimedOut},
    };
    std::vector<std::string> expectedErrors;
    std::vector<std::string> expectedLabels{"Quintrel", "..."};
    for (size_t i = 0; i < modes.size(); ++i) {
        auto script = modes[i].script;
        script["path"] = kPoll;
        ASSERT_TRUE(standin().script(script)) << modes[i].name;
        ASSERT_TRUE(standin().script(countsReply(101 + static_cast<int>(i))));
        expectedErrors.insert(expectedErrors.end(), {modes[i].error, "None"});
        expectedLabels.insert(expectedLabels.end(), {"Quintrel", std::to_string(101 + i)});
    }
    auto environment = shortPoll(1000);
    environment.insert("QUINTREL_TEST_REFRESH_TIMEOUT_MS", "8000");
    environment.insert("QUINTREL_TEST_STATUS_TEXTS", "1");
    startWithCode(environment);
    // What the logic built reaches the service unchanged: items, order, the code.
    const auto poll = firstAnsweredPoll();
    EXPECT_TRUE(std::regex_match(poll.query, std::regex("v=[^&]*&client=[^&]*&code=[^&]*&"
                                                        "shownotify=[^&]*&keepalive=[^&]*&"
                                                        "idle=[^&]*&nocache=[^&]*")))
        << poll.query;
    EXPECT_EQ(poll.queryValue("code"), kDemoCode);

    ASSERT_TRUE(waitUntil(
        [&] { return closedRefreshErrors(app()).size() >= expectedErrors.size(); }, 120s));

    auto errors = closedRefreshErrors(app());
    errors.resize(expectedErrors.size());
    EXPECT_EQ(errors, expectedErrors);
    ASSERT_TRUE(waitForLabel(expectedLabels.back()));
    EXPECT_EQ(labels(), expectedLabels);
    for (const auto& line : app().lines()) {
        EXPECT_EQ(line.find(kDemoCode), std::string::npos) << "the API code leaked: " << line;
    }
}

}  // namespace
}  // namespace quintrel::e2e
