// Start-up, the timer, the tray menu, the settings window and the browser links.

#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class Startup : public fakes::DelegateFixture {};

TEST_F(Startup, WithACodeShowsQuintrelThenDotsAndPollsAtOnce) {
    storeGoodCode();
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(fakes.statusBar.titles, (Lines{"Quintrel", "..."}));
    EXPECT_TRUE(fakes.http.count() == 1 && fakes.http.resumed(0));
    EXPECT_EQ(fakes.settingsWindows.shown, 0);

    fakes.http.succeed(0, R"({"online":1,"pv":1,"notify":0})");
    fakes.mainQueue.advance(45s);
    EXPECT_EQ(fakes.http.count(), 2u);
    // Unanswered, each poll times out at +30 s, before the next tick.
    fakes.mainQueue.advance(45s * 2);
    EXPECT_EQ(fakes.http.count(), 4u);
    EXPECT_TRUE(lines().empty());
}

TEST_F(Startup, WithoutACodeOpensTheSettingsAndTheTimerStillTicks) {
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(fakes.statusBar.titles, Lines{"Quintrel"});
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
    EXPECT_EQ(fakes.http.count(), 0u);

    storeGoodCode();  // saved meanwhile: the next tick polls
    fakes.mainQueue.advance(44s);
    EXPECT_EQ(fakes.http.count(), 0u);
    fakes.mainQueue.advance(1s);
    EXPECT_EQ(fakes.http.count(), 1u);
    EXPECT_EQ(fakes.idleTime.askInterval, 45s);
}

// The test build's shorter timers: the poll, the idle reader, the time-out and its text.
TEST_F(Startup, TheOptionsSetThePollIntervalAndTheTimeOut) {
    storeGoodCode();
    delegate = fakes.makeDelegate({"1.0.0"}, {.pollInterval = 2s, .refreshTimeout = 1500ms});
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(fakes.idleTime.askInterval, 2s);
    fakes.mainQueue.advance(1499ms);
    EXPECT_TRUE(delegate->status().refreshing);
    fakes.mainQueue.advance(1ms);
    EXPECT_EQ(delegate->status().lastError, "Refresh timed out after 1500ms");
    fakes.mainQueue.advance(500ms);
    EXPECT_EQ(fakes.http.count(), 2u);
}

TEST_F(Startup, ADelegateThatIsGoneHearsNothing) {
    delegate->applicationDidFinishLaunching();
    const SaveReports save = fakes.settingsWindows.reports;
    delegate.reset();
    storeGoodCode();
    save.refresh();
    save.showTitle("late");
    fakes.mainQueue.advance(46s);
    EXPECT_EQ(fakes.http.count(), 0u);
}

TEST_F(Startup, LinksOpenNothingWithoutACodeOrWithAVersionThatBreaksTheURL) {
    delegate->opendashboard();  // no code: the settings window instead
    delegate->settingView();
    EXPECT_EQ(fakes.settingsWindows.made, 1);  // made once, shown each time
    EXPECT_EQ(fakes.settingsWindows.shown, 2);
    EXPECT_EQ(delegate->dashboardURL(), std::nullopt);
    fakes.makeDelegate(BundleInfo{std::nullopt})->checkupdate();
    fakes.makeDelegate(BundleInfo{"2.1 beta"})->checkupdate();
    EXPECT_EQ(fakes.browser.opened, Lines{"https://quintrel.test/plugin/?type=mac&v="});
}

TEST_F(Startup, EachMenuEntryReachesTheActionItsLabelNames) {
    storeGoodCode();
    const auto entries = delegate->statusMenuEntries();
    for (const char* label : {"Open Dashboard", "Check for Updates", "Settings\u2026", "Quit"}) {
        std::ranges::find(entries, label, &StatusMenuEntry::label)->action();
    }
    EXPECT_EQ(fakes.browser.opened,
              (Lines{std::string("https://quintrel.test/login-code.php?code=") + fakes::kGoodCode,
                     "https://quintrel.test/plugin/?type=mac&v=1.0.0"}));
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
    EXPECT_EQ(fakes.application.terminations, 1);
}

}  // namespace
}  // namespace quintrel
