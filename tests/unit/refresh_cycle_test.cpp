// The refresh cycle and reply handling, driven on the fake main queue in virtual time.

#include "fakes/DelegateFixture.h"
#include "util/Text.h"

namespace quintrel {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

constexpr const char* kTimedOut = "Refresh timed out after 30s";
const std::string kValid = R"({"online":1,"pv":2,"notify":0})";

class RefreshCycle : public fakes::DelegateFixture {
protected:
    void SetUp() override { launch(); }
    void answer(std::size_t index, HttpResult result) {
        fakes.http.complete(index, std::move(result));
    }
    void answerBody(std::size_t index, std::string body, int status = 200) {
        answer(index, {std::move(body), status, std::nullopt});
    }
    void poll(std::string body) {
        delegate->quintrel_refresh_action();
        answerBody(fakes.http.count() - 1, std::move(body));
    }
    // The refresh a save in the settings window asks for.
    void refreshAfterSave() { fakes.settingsWindows.reports.refresh(); }
};

TEST_F(RefreshCycle, ASuccessfulPollShowsTheCountAndLeavesNoTimeOutBehind) {
    delegate->quintrel_refresh_action();
    ASSERT_TRUE(fakes.http.count() == 1 && fakes.http.resumed(0));

    answerBody(0, R"({"online":7,"pv":120,"notify":0})");
    EXPECT_EQ(title(), "7");
    EXPECT_FALSE(status().refreshing);
    EXPECT_EQ(status().lastError, "None");
    EXPECT_TRUE(lines().empty());
    // Nothing but the poll timer wakes the idle app 30 s later.
    EXPECT_EQ(fakes.mainQueue.pendingDelayed(), 1u);
}

TEST_F(RefreshCycle, TheTitleModeIsTheOneReadWhenTheRequestWasMade) {
    for (const auto& [mode, title] :
         {std::pair{nlohmann::json(1), "120"}, {-1, "120"}, {0, "7"}, {"1", "7"}}) {
        fakes.preferences.set(prefs::mode, mode);
        delegate->quintrel_refresh_action();
        fakes.preferences.set(prefs::mode, mode == 0 ? 1 : 0);
        answerBody(fakes.http.count() - 1, R"({"online":7,"pv":120,"notify":0})", 299);
        EXPECT_EQ(this->title(), title) << mode;
    }
}

TEST_F(RefreshCycle, FailuresEndWithTheNeutralTitleAndTheirText) {
    const auto none = std::nullopt;
    const struct {
        HttpResult result;
        const char* lastError;
        bool printed;  // as "Quintrel refresh failed: <lastError>"
    } cases[] = {
        {{none, none, "Could not connect to the server."}, "Could not connect to the server.", 1},
        {{kValid, 200, "The network connection was lost."}, "The network connection was lost.", 1},
        {{kValid, 300, none}, "HTTP 300", 0},
        {{kValid, 199, none}, "HTTP 199", 0},
        {{none, none, none}, "No data returned", 0},
        {{"", 200, none}, "Unable to read API response", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastError);
        poll(kValid);
        delegate->quintrel_refresh_action();
        fakes.statusBar.titles.clear();
        answer(fakes.http.count() - 1, c.result);
        EXPECT_EQ(fakes.statusBar.titles, Lines{"Quintrel"});
        EXPECT_EQ(status().lastError, c.lastError);
        EXPECT_FALSE(status().refreshing);
        EXPECT_EQ(
            fakes.console.take(),
            c.printed ? Lines{std::string("Quintrel refresh failed: ") + c.lastError} : Lines{});
    }
}

TEST_F(RefreshCycle, ARefreshAskedForWhileOneIsOpenIsSkipped) {
    delegate->quintrel_refresh_action();
    delegate->runTimedCode();
    refreshAfterSave();
    delegate->refreshdata();
    EXPECT_EQ(fakes.console.count(
                  "Skipping Quintrel refresh because the previous refresh is still running"),
              3);
    EXPECT_EQ(fakes.http.count(), 1u);
    // The manual one shows its dots until the open refresh ends.
    EXPECT_EQ(title(), "...");
    answerBody(0, kValid);
    EXPECT_EQ(title(), "1");
}

// Asks within 5 s of a poll's end make one poll when the 5 s are over; a save's is not held.
TEST_F(RefreshCycle, AsksSoonAfterAPollJoinInOneDeferredPoll) {
    const std::string deferring =
        "Deferring Quintrel refresh because the previous refresh ended less than 5s ago";
    poll(kValid);
    fakes.mainQueue.advance(1s);
    for (int i = 0; i < 40; ++i) {
        delegate->refreshdata();
        fakes.mainQueue.advance(50ms);
    }
    EXPECT_EQ(fakes.http.count(), 1u);
    EXPECT_EQ(fakes.console.count(deferring), 1);
    fakes.mainQueue.advance(1999ms);
    EXPECT_EQ(fakes.http.count(), 1u);
    fakes.mainQueue.advance(1ms);
    ASSERT_EQ(fakes.http.count(), 2u);
    EXPECT_EQ(title(), "...");

    answerBody(1, kValid);
    refreshAfterSave();
    EXPECT_EQ(fakes.http.count(), 3u);
    answerBody(2, kValid);
    // Later than 5 s after the last poll, an ask runs at once.
    fakes.mainQueue.advance(5s);
    delegate->refreshdata();
    EXPECT_EQ(fakes.http.count(), 4u);
    EXPECT_EQ(fakes.console.count(deferring), 1);
}

TEST_F(RefreshCycle, WithoutAConfiguredCodeOnlyTheSavesRefreshRunsAndEndsAtOnce) {
    poll(kValid);
    // The timer looks at the code as stored: 33 characters untrimmed, 32 trimmed.
    fakes.preferences.set(prefs::apiCode, std::string(32, 'x'));
    delegate->runTimedCode();
    fakes.preferences.set(prefs::apiCode, std::string(32, 'x') + " ");
    delegate->refreshdata();
    EXPECT_EQ(fakes.http.count(), 1u);
    EXPECT_EQ(fakes.statusBar.titles, Lines{"1"});

    delegate->runTimedCode();
    refreshAfterSave();
    EXPECT_EQ(fakes.statusBar.titles, (Lines{"1", "Quintrel"}));
    EXPECT_EQ(status().lastError, "Unable to build API URL");
    EXPECT_FALSE(status().refreshing);
    EXPECT_EQ(fakes.http.count(), 1u);
    EXPECT_EQ(fakes.mainQueue.pendingDelayed(), 1u);  // the poll timer
}

TEST_F(RefreshCycle, TimesOutExactlyThirtySecondsAfterOpening) {
    delegate->refreshdata();
    fakes.mainQueue.advance(29999ms);
    EXPECT_TRUE(status().refreshing);
    EXPECT_FALSE(fakes.http.cancelled(0));

    fakes.clock.wall += 30s;
    fakes.mainQueue.advance(1ms);
    EXPECT_FALSE(status().refreshing);
    EXPECT_TRUE(fakes.http.cancelled(0));
    EXPECT_EQ(status().lastError, kTimedOut);
    EXPECT_EQ(status().lastChecked, text::localDateTime(fakes.clock.wall));
    EXPECT_EQ(fakes.statusBar.titles, (Lines{"...", "Quintrel"}));
    EXPECT_TRUE(lines().empty());

    // The cancelled request still completes, with the client's cancellation error.
    answer(0, {std::nullopt, std::nullopt, "cancelled"});
    EXPECT_EQ(lines(), (Lines{"Quintrel refresh failed: cancelled",
                              "Ignoring stale Quintrel refresh completion"}));
    EXPECT_EQ(status().lastError, kTimedOut);
}

TEST_F(RefreshCycle, ALateReplyIsDroppedWholeAndDoesNotEndTheNewRefresh) {
    delegate->quintrel_refresh_action();
    fakes.mainQueue.advance(30s);
    delegate->quintrel_refresh_action();
    answerBody(0, R"({"online":5,"pv":6,"notify":1,"notifytitle":"t","notifydesc":"d",)"
                  R"("notifyurl":"u","notifysound":"s"})");
    EXPECT_TRUE(status().refreshing);
    EXPECT_EQ(lines(), Lines{"Ignoring stale Quintrel refresh result"});
    EXPECT_EQ(title(), "Quintrel");
    EXPECT_TRUE(fakes.notificationCenter.requests.empty());
    answerBody(1, R"({"online":9,"pv":2,"notify":0})");
    EXPECT_EQ(title(), "9");
    EXPECT_FALSE(status().refreshing);
}

TEST_F(RefreshCycle, NotificationsFollowTheFlagTheSwitchAndTheTexts) {
    const std::string all =
        R"("notifytitle":"T","notifydesc":"D","notifyurl":"u","notifysound":"s")";
    const std::optional<nlohmann::json> unset;
    const struct {
        int flag;
        std::optional<nlohmann::json> qnnotify;
        std::string texts;
        bool shown;  // else, unless it is switched off, the texts are incomplete
    } cases[] = {
        {0, unset, all, false},
        {1, unset, all, true},
        {4, 1, all, true},
        {1, 0, all, false},
        {1, unset, R"("notifytitle":"","notifydesc":"","notifyurl":"","notifysound":"")", true},
        {1, unset, R"("notifydesc":"D","notifyurl":"u","notifysound":"s")", false},
        {1, unset, R"("notifytitle":"T","notifyurl":"u","notifysound":"s")", false},
        {1, unset, R"("notifytitle":"T","notifydesc":"D","notifyurl":null,"notifysound":"s")",
         false},
    };
    for (const auto& c : cases) {
        const auto body =
            R"({"online":3,"pv":2,"notify":)" + std::to_string(c.flag) + "," + c.texts + "}";
        SCOPED_TRACE(body + " qnnotify " + (c.qnnotify ? c.qnnotify->dump() : "unset"));
        fakes.preferences.setOrErase(prefs::notify, c.qnnotify);
        const auto shownBefore = fakes.notificationCenter.requests.size();
        poll(body);
        EXPECT_EQ(fakes.notificationCenter.requests.size() - shownBefore, c.shown ? 1u : 0u);
        const bool incomplete = !c.shown && c.flag > 0 && c.texts != all;
        EXPECT_EQ(status().lastError, incomplete ? "Notification payload missing fields" : "None");
        const auto printed = fakes.console.take();
        EXPECT_EQ(std::count(printed.begin(), printed.end(),
                             "Notification skipped because the API response is missing "
                             "notification fields"),
                  incomplete ? 1 : 0);
    }
}

}  // namespace
}  // namespace quintrel
