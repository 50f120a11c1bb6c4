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
    EXPECT_EQ(fakes.http.resumedURLs().size(), 1u);
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
}

TEST_F(Startup, ADelegateThatIsGoneHearsNothing) {
    delegate->applicationDidFinishLaunching();
    delegate.reset();
    fakes.bus.post("com.quintrel.refresh");
    fakes.mainQueue.advance(46s);
    EXPECT_EQ(fakes.http.count(), 0u);
}

TEST_F(Startup, TheSettingsWindowIsMadeOnceAndShownEachTime) {
    delegate->settingView();
    delegate->settingView();
    EXPECT_EQ(fakes.settingsWindows.made, 1);
    EXPECT_EQ(fakes.settingsWindows.shown, 2);
}

TEST_F(Startup, LinksOpenNothingWithoutACodeOrWithAVersionThatBreaksTheURL) {
    delegate->opendashboard();  // no code: the settings window instead
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
    EXPECT_EQ(delegate->dashboardURL(), std::nullopt);
    fakes.makeDelegate(BundleInfo{std::nullopt})->checkupdate();
    fakes.makeDelegate(BundleInfo{"2.1 beta"})->checkupdate();
    EXPECT_EQ(fakes.browser.opened, Lines{"https://quintrel.test/plugin/?type=mac&v="});
}

TEST_F(Startup, TheItemsMenuEntriesCallTheirActions) {
    storeGoodCode();
    delegate->applicationDidFinishLaunching();
    fakes.http.succeed(0, R"({"online":7,"pv":9,"notify":0})");
    fakes.mainQueue.runPending();
    const auto& menu = fakes.statusBar.lastItem->menu;
    Lines labels;
    for (const auto& entry : menu) {
        labels.push_back(entry.label);
        EXPECT_EQ(static_cast<bool>(entry.action), !entry.label.empty()) << entry.label;
    }
    ASSERT_EQ(labels, (Lines{"Refresh Now", "Open Dashboard", "Settings\u2026", "Check for Updates",
                             "", "Quit"}));
    const auto run = [&](std::size_t entry) {
        menu[entry].action();
        fakes.mainQueue.runPending();
    };
    run(0);
    EXPECT_EQ(fakes.http.count(), 2u);
    EXPECT_EQ(title(), "...");
    run(1);
    EXPECT_EQ(fakes.browser.opened,
              Lines{std::string("https://quintrel.test/login-code.php?code=") + fakes::kGoodCode});
    run(2);
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
    run(3);
    EXPECT_EQ(fakes.browser.opened.back(), "https://quintrel.test/plugin/?type=mac&v=1.0.0");
    EXPECT_EQ(fakes.application.terminations, 0);
    run(5);
    EXPECT_EQ(fakes.application.terminations, 1);
}

}  // namespace
}  // namespace quintrel
