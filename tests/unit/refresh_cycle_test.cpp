// The refresh cycle and reply handling, driven on the fake main queue in virtual time.

#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSkip =
    "Skipping Quintrel refresh because the previous refresh is still running";
constexpr const char* kStaleCompletion = "Ignoring stale Quintrel refresh completion";
constexpr const char* kStaleResult = "Ignoring stale Quintrel refresh result";

class RefreshCycle : public fakes::DelegateFixture {
protected:
    void SetUp() override {
        storeGoodCode();
        delegate->statusItem = fakes.statusBar.makeStatusItem();
        delegate->dashboardPopoverViewController = popover;
    }
    // Completes request `index` as the HTTP client would, on the test thread, then lets
    // the main queue run what that queued.
    void answer(std::size_t index, HttpResult result) {
        fakes.http.complete(index, std::move(result));
        fakes.mainQueue.runPending();
    }
    void answerBody(std::size_t index, std::string body, int status = 200) {
        answer(index, {std::move(body), status, std::nullopt});
    }
    const fakes::FakePopoverStatus::Update& lastStatus() const { return popover->updates.back(); }

    std::shared_ptr<fakes::FakePopoverStatus> popover =
        std::make_shared<fakes::FakePopoverStatus>();
};

TEST_F(RefreshCycle, ASuccessfulPollShowsTheChosenCount) {
    delegate->quintrel_refresh_action();
    ASSERT_EQ(fakes.http.resumedURLs().size(), 1u);
    EXPECT_TRUE(delegate->isRefreshing);
    EXPECT_EQ(lastStatus().lastChecked, "Checking...");
    EXPECT_TRUE(lastStatus().isChecking);

    answerBody(0, R"({"online":7,"pv":120,"notify":0})");
    EXPECT_EQ(title(), "7");
    EXPECT_FALSE(delegate->isRefreshing);
    EXPECT_EQ(delegate->currentRefreshID, std::nullopt);
    EXPECT_EQ(delegate->refreshTimeoutWorkItem, nullptr);
    EXPECT_EQ(delegate->lastErrorMessage, "None");
    EXPECT_EQ(delegate->lastCheckedAt, fakes.clock.wall);
    EXPECT_FALSE(lastStatus().isChecking);
    EXPECT_TRUE(lines().empty());
    // The finished refresh's time-out is gone: nothing wakes the idle app 30 s later.
    EXPECT_EQ(fakes.mainQueue.pendingDelayed(), 0u);
}

TEST_F(RefreshCycle, ModeOtherThanZeroShowsPageViews) {
    for (const nlohmann::json& mode : {nlohmann::json(1), nlohmann::json(2), nlohmann::json(-1)}) {
        fakes.preferences.set(prefs::mode, mode);
        delegate->quintrel_refresh_action();
        answerBody(fakes.http.count() - 1, R"({"online":7,"pv":120,"notify":0})");
        EXPECT_EQ(title(), "120") << mode;
    }
}

TEST_F(RefreshCycle, TheModeIsTheOneReadWhenTheRequestWasMade) {
    delegate->quintrel_refresh_action();
    fakes.preferences.set(prefs::mode, 1);
    answerBody(0, R"({"online":-7,"pv":120,"notify":0})");
    EXPECT_EQ(title(), "-7");
}

struct Failure {
    const char* name;
    HttpResult result;
    const char* lastError;
    const char* printed;  // nullptr: nothing printed
};
void PrintTo(const Failure& c, std::ostream* os) {
    *os << c.name;
}

class Failures : public RefreshCycle, public testing::WithParamInterface<Failure> {};

TEST_P(Failures, EndWithTheNeutralTitleAndTheirText) {
    delegate->quintrel_refresh_action();
    fakes.statusBar.titles.clear();
    answer(0, GetParam().result);
    EXPECT_EQ(fakes.statusBar.titles, std::vector<std::string>{"Quintrel"});
    EXPECT_EQ(delegate->lastErrorMessage, GetParam().lastError);
    EXPECT_FALSE(delegate->isRefreshing);
    const auto expectedLines = GetParam().printed ? std::vector<std::string>{GetParam().printed}
                                                  : std::vector<std::string>{};
    EXPECT_EQ(lines(), expectedLines);
}

const std::string kValid = R"({"online":1,"pv":2,"notify":0})";

INSTANTIATE_TEST_SUITE_P(
    Outcomes, Failures,
    testing::Values(
        Failure{"transport",
                {std::nullopt, std::nullopt, "Could not connect to the server."},
                "Could not connect to the server.",
                "Quintrel refresh failed: Could not connect to the server."},
        Failure{"transport_wins_over_body",
                {kValid, 200, "The network connection was lost."},
                "The network connection was lost.",
                "Quintrel refresh failed: The network connection was lost."},
        Failure{"status_503", {"", 503, std::nullopt}, "HTTP 503", nullptr},
        Failure{"status_500_valid_body", {kValid, 500, std::nullopt}, "HTTP 500", nullptr},
        Failure{"status_300", {kValid, 300, std::nullopt}, "HTTP 300", nullptr},
        Failure{"status_199", {kValid, 199, std::nullopt}, "HTTP 199", nullptr},
        Failure{"no_body", {std::nullopt, 200, std::nullopt}, "No data returned", nullptr},
        Failure{"empty_body", {"", 200, std::nullopt}, "Unable to read API response", nullptr},
        Failure{"string_count",
                {R"({"online":"7","pv":2,"notify":0})", 200, std::nullopt},
                "Unable to read API response",
                nullptr},
        Failure{"not_http_no_body",
                {std::nullopt, std::nullopt, std::nullopt},
                "No data returned",
                nullptr}),
    [](const testing::TestParamInfo<Failure>& info) { return info.param.name; });

TEST_F(RefreshCycle, Status299IsSuccess) {
    delegate->quintrel_refresh_action();
    answerBody(0, kValid, 299);
    EXPECT_EQ(title(), "1");
    EXPECT_EQ(delegate->lastErrorMessage, "None");
}

TEST_F(RefreshCycle, ARefreshAskedForWhileOneIsOpenIsSkipped) {
    delegate->quintrel_refresh_action();
    const auto updatesBefore = popover->updates.size();
    delegate->runTimedCode();
    delegate->quintrel_refresh(BusMessage{"com.quintrel.refresh", std::nullopt});
    EXPECT_EQ(fakes.console.count(kSkip), 2);
    EXPECT_EQ(fakes.http.count(), 1u);
    EXPECT_EQ(popover->updates.size(), updatesBefore);
}

TEST_F(RefreshCycle, AManualRefreshWhileOpenLeavesTheDotsUntilTheOpenOneEnds) {
    delegate->quintrel_refresh_action();
    delegate->refreshdata();
    EXPECT_EQ(title(), "...");
    EXPECT_EQ(fakes.console.count(kSkip), 1);
    answerBody(0, kValid);
    EXPECT_EQ(title(), "1");
}

TEST_F(RefreshCycle, ManualRefreshWithoutACodeDoesNothing) {
    fakes.preferences.erase(prefs::apiCode);
    delegate->refreshdata();
    EXPECT_TRUE(fakes.statusBar.titles.empty());
    EXPECT_FALSE(delegate->isRefreshing);
}

TEST_F(RefreshCycle, TheTimerLooksAtTheUntrimmedCode) {
    fakes.preferences.set(prefs::apiCode, std::string(32, 'x') + " ");  // 33 untrimmed, 32 trimmed
    delegate->runTimedCode();
    EXPECT_EQ(fakes.http.count(), 0u);
    EXPECT_EQ(title(), "Quintrel");
    EXPECT_EQ(delegate->lastErrorMessage, "Unable to build API URL");
    EXPECT_FALSE(delegate->isRefreshing);

    fakes.statusBar.titles.clear();
    for (const nlohmann::json& tooShort :
         {nlohmann::json(std::string(32, 'x')), nlohmann::json(""), nlohmann::json(123)}) {
        fakes.preferences.set(prefs::apiCode, tooShort);
        delegate->runTimedCode();
    }
    fakes.preferences.erase(prefs::apiCode);
    delegate->runTimedCode();
    EXPECT_TRUE(fakes.statusBar.titles.empty());
    EXPECT_EQ(fakes.http.count(), 0u);
}

TEST_F(RefreshCycle, ABusRefreshWithoutACodeEndsAtOnce) {
    fakes.preferences.set(prefs::apiCode, "short");
    delegate->quintrel_refresh(BusMessage{"com.quintrel.refresh", std::nullopt});
    EXPECT_EQ(title(), "Quintrel");
    EXPECT_EQ(delegate->lastErrorMessage, "Unable to build API URL");
    EXPECT_EQ(fakes.http.count(), 0u);
    EXPECT_EQ(fakes.mainQueue.pendingDelayed(), 0u);  // its time-out was cancelled
    fakes.mainQueue.advance(31s);
    EXPECT_EQ(delegate->lastErrorMessage, "Unable to build API URL");
}

TEST_F(RefreshCycle, TimesOutExactlyThirtySecondsAfterOpening) {
    delegate->quintrel_refresh_action();
    fakes.mainQueue.advance(29999ms);
    EXPECT_TRUE(delegate->isRefreshing);
    EXPECT_FALSE(fakes.http.snapshot(0).cancelled);

    fakes.clock.wall += 30s;
    fakes.mainQueue.advance(1ms);
    EXPECT_FALSE(delegate->isRefreshing);
    EXPECT_TRUE(fakes.http.snapshot(0).cancelled);
    EXPECT_EQ(delegate->refreshTask, nullptr);
    EXPECT_EQ(delegate->lastErrorMessage, "Refresh timed out after 30s");
    EXPECT_EQ(delegate->lastCheckedAt, fakes.clock.wall);
    EXPECT_EQ(title(), "Quintrel");
    EXPECT_FALSE(lastStatus().isChecking);
    EXPECT_TRUE(lines().empty());  // the timeout prints nothing

    // The cancelled request still completes, with the client's cancellation error.
    fakes.statusBar.titles.clear();
    answer(0, {std::nullopt, std::nullopt, "cancelled"});
    EXPECT_EQ(lines(),
              (std::vector<std::string>{"Quintrel refresh failed: cancelled", kStaleCompletion}));
    EXPECT_EQ(fakes.statusBar.titles, std::vector<std::string>{"Quintrel"});
    EXPECT_EQ(delegate->lastErrorMessage, "Refresh timed out after 30s");
}

TEST_F(RefreshCycle, ALateGoodReplyIsDroppedWhole) {
    delegate->quintrel_refresh_action();
    fakes.mainQueue.advance(30s);
    answerBody(
        0,
        R"({"online":5,"pv":6,"notify":1,"notifytitle":"t","notifydesc":"d","notifyurl":"u","notifysound":"s"})");
    EXPECT_EQ(lines(), std::vector<std::string>{kStaleResult});
    EXPECT_EQ(title(), "Quintrel");
    EXPECT_TRUE(fakes.notificationCenter.requests.empty());
}

TEST_F(RefreshCycle, AReplyForAnOlderRefreshDoesNotEndTheNewOne) {
    delegate->quintrel_refresh_action();
    fakes.mainQueue.advance(30s);
    delegate->quintrel_refresh_action();
    answerBody(0, kValid);
    EXPECT_TRUE(delegate->isRefreshing);
    EXPECT_EQ(lines(), std::vector<std::string>{kStaleResult});
    answerBody(1, R"({"online":9,"pv":2,"notify":0})");
    EXPECT_EQ(title(), "9");
    EXPECT_FALSE(delegate->isRefreshing);
}

TEST_F(RefreshCycle, TheOldTimeoutCannotEndALaterRefresh) {
    delegate->quintrel_refresh_action();
    fakes.mainQueue.advance(10s);
    answerBody(0, kValid);
    fakes.mainQueue.advance(10s);
    delegate->quintrel_refresh_action();  // opened at 20 s
    fakes.mainQueue.advance(15s);         // 35 s: the first timeout's time has passed
    EXPECT_TRUE(delegate->isRefreshing);
    fakes.mainQueue.advance(15s);  // 50 s: its own timeout
    EXPECT_FALSE(delegate->isRefreshing);
    EXPECT_EQ(delegate->lastErrorMessage, "Refresh timed out after 30s");
}

TEST_F(RefreshCycle, CompleteRefreshRecordsNoneForAnEmptyError) {
    const auto id = delegate->beginRefresh();
    ASSERT_TRUE(id);
    delegate->completeRefresh(*id, "");
    EXPECT_EQ(delegate->lastErrorMessage, "None");
    delegate->completeRefresh(*id, "late");
    EXPECT_EQ(lines(), std::vector<std::string>{kStaleCompletion});
    EXPECT_EQ(delegate->lastErrorMessage, "None");
}

TEST_F(RefreshCycle, SetLastErrorShowsAtOnceAndTheOpenRefreshOverwritesIt) {
    delegate->quintrel_refresh_action();
    delegate->setLastError("API code is required");
    EXPECT_EQ(lastStatus().lastError, "API code is required");
    EXPECT_EQ(lastStatus().lastChecked, "Checking...");
    EXPECT_TRUE(delegate->isRefreshing);
    answerBody(0, kValid);
    EXPECT_EQ(delegate->lastErrorMessage, "None");
    delegate->setLastError("");
    EXPECT_EQ(delegate->lastErrorMessage, "");
}

struct Notify {
    const char* name;
    std::string body;
    std::optional<nlohmann::json> qnnotify;
    bool shown;
    const char* lastError;
};
void PrintTo(const Notify& c, std::ostream* os) {
    *os << c.name;
}

class NotifyDecision : public RefreshCycle, public testing::WithParamInterface<Notify> {};

TEST_P(NotifyDecision, FollowsTheFlagTheSwitchAndTheTexts) {
    if (GetParam().qnnotify) {
        fakes.preferences.set(prefs::notify, *GetParam().qnnotify);
    }
    delegate->quintrel_refresh_action();
    answerBody(0, GetParam().body);
    EXPECT_EQ(title(), "3");
    EXPECT_EQ(fakes.notificationCenter.requests.size(), GetParam().shown ? 1u : 0u);
    EXPECT_EQ(delegate->lastErrorMessage, GetParam().lastError);
    EXPECT_FALSE(delegate->isRefreshing);
}

const std::string kAll =
    R"("notifytitle":"T","notifydesc":"D","notifyurl":"https://q.test/x","notifysound":"media/01")";

INSTANTIATE_TEST_SUITE_P(
    Table, NotifyDecision,
    testing::Values(
        Notify{"flag_zero", R"({"online":3,"pv":2,"notify":0,)" + kAll + "}", std::nullopt, false,
               "None"},
        Notify{"flag_negative", R"({"online":3,"pv":2,"notify":-1,)" + kAll + "}", std::nullopt,
               false, "None"},
        Notify{"all_present", R"({"online":3,"pv":2,"notify":1,)" + kAll + "}", std::nullopt, true,
               "None"},
        Notify{"flag_above_one", R"({"online":3,"pv":2,"notify":4,)" + kAll + "}", 1, true, "None"},
        Notify{"switched_off", R"({"online":3,"pv":2,"notify":1,)" + kAll + "}", 0, false, "None"},
        Notify{"switch_other_value", R"({"online":3,"pv":2,"notify":1,)" + kAll + "}", 2, false,
               "None"},
        Notify{"switch_text_lets_through", R"({"online":3,"pv":2,"notify":1,)" + kAll + "}", "0",
               true, "None"},
        Notify{
            "sound_missing",
            R"({"online":3,"pv":2,"notify":1,"notifytitle":"T","notifydesc":"D","notifyurl":"u"})",
            std::nullopt, false, "Notification payload missing fields"},
        Notify{
            "title_missing",
            R"({"online":3,"pv":2,"notify":1,"notifydesc":"D","notifyurl":"u","notifysound":"s"})",
            std::nullopt, false, "Notification payload missing fields"},
        Notify{
            "desc_missing",
            R"({"online":3,"pv":2,"notify":1,"notifytitle":"T","notifyurl":"u","notifysound":"s"})",
            std::nullopt, false, "Notification payload missing fields"},
        Notify{
            "url_null",
            R"({"online":3,"pv":2,"notify":1,"notifytitle":"T","notifydesc":"D","notifyurl":null,"notifysound":"s"})",
            std::nullopt, false, "Notification payload missing fields"},
        Notify{
            "all_empty",
            R"({"online":3,"pv":2,"notify":1,"notifytitle":"","notifydesc":"","notifyurl":"","notifysound":""})",
            std::nullopt, true, "None"}),
    [](const testing::TestParamInfo<Notify>& info) { return info.param.name; });

TEST_F(RefreshCycle, MissingNotificationFieldsArePrinted) {
    delegate->quintrel_refresh_action();
    answerBody(0, R"({"online":3,"pv":2,"notify":1,"notifytitle":"T"})");
    EXPECT_EQ(lines(),
              std::vector<std::string>{
                  "Notification skipped because the API response is missing notification fields"});
}

TEST_F(RefreshCycle, StatusTextsFormatTimeAndCutLongErrors) {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    delegate->dashboardPopoverViewController.reset();
    delegate->updateRefreshMenuItems(false);  // no popup yet: nothing to show, nothing kept
    delegate->dashboardPopoverViewController = popover;
    delegate->updateRefreshMenuItems(false);
    EXPECT_EQ(lastStatus().lastChecked, "Never");
    EXPECT_EQ(popover->updates.size(), 1u);

    delegate->lastCheckedAt =
        std::chrono::system_clock::time_point(std::chrono::seconds(1767344703));
    std::string error = "line one\nline two\r";
    delegate->lastErrorMessage = error;
    delegate->updateRefreshMenuItems(false);
    EXPECT_EQ(lastStatus().lastChecked, "2026-01-02 09:05:03");
    EXPECT_EQ(lastStatus().lastError, "line one line two\r");
    delegate->updateRefreshMenuItems(true);
    EXPECT_EQ(lastStatus().lastChecked, "Checking...");

    std::string longError;
    for (int i = 0; i < 73; ++i) {
        longError += "\u00E9";  // 73 characters, 146 bytes
    }
    delegate->lastErrorMessage = longError;
    delegate->updateRefreshMenuItems(false);
    EXPECT_EQ(lastStatus().lastError, longError.substr(0, 69 * 2) + "...");
    delegate->lastErrorMessage = longError.substr(0, 72 * 2);
    delegate->updateRefreshMenuItems(false);
    EXPECT_EQ(lastStatus().lastError, longError.substr(0, 72 * 2));
    ::unsetenv("TZ");
    ::tzset();
}

TEST_F(RefreshCycle, TitlesNeedAStatusItemWithAButton) {
    delegate->statusItem.reset();
    delegate->changeStatusBarButton("lost");
    EXPECT_TRUE(fakes.statusBar.titles.empty());
    fakes.statusBar.withButton = false;
    delegate->statusItem = fakes.statusBar.makeStatusItem();
    delegate->changeStatusBarButton("lost too");
    EXPECT_TRUE(fakes.statusBar.titles.empty());
}

}  // namespace
}  // namespace quintrel
