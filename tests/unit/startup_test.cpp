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

TEST_F(Startup, TheSettingsWindowIsMadeOnceAndClosesAnOpenPopupFirst) {
    storeGoodCode();
    delegate->statusItem = fakes.statusBar.makeStatusItem();
    delegate->statusItemClicked();
    ASSERT_TRUE(fakes.popovers.lastPopover && fakes.popovers.lastPopover->isShown());
    delegate->settingView();
    EXPECT_FALSE(fakes.popovers.lastPopover->isShown());
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
    const auto opened = [&](const std::string& url) {
        return !fakes.browser.opened.empty() && fakes.browser.opened.back() == url;
    };
    const struct {
        std::string label;  // empty: a separator
        std::function<bool()> reached;
    } expected[] = {
        {"Refresh Now",
         [&] {
             return fakes.http.count() == 2 && title() == "...";
         }},
        {"Open Dashboard",
         [&] {
             return opened(std::string("https://quintrel.test/login-code.php?code=") +
                           fakes::kGoodCode);
         }},
        {"Settings\u2026",
         [&] {
             return fakes.settingsWindows.shown == 1;
         }},
        {"Check for Updates",
         [&] {
             return opened("https://quintrel.test/plugin/?type=mac&v=1.0.0");
         }},
        {"", nullptr},
        {"Quit",
         [&] {
             return fakes.application.terminations == 1;
         }},
    };
    ASSERT_NE(fakes.statusBar.lastItem, nullptr);
    const auto& menu = fakes.statusBar.lastItem->menu;
    ASSERT_EQ(menu.size(), std::size(expected));
    for (std::size_t i = 0; i < menu.size(); ++i) {
        EXPECT_EQ(menu[i].label, expected[i].label);
        EXPECT_EQ(static_cast<bool>(menu[i].action), static_cast<bool>(expected[i].reached));
        if (menu[i].action && expected[i].reached) {
            menu[i].action();
            fakes.mainQueue.runPending();
            EXPECT_TRUE(expected[i].reached()) << menu[i].label;
        }
    }
}

}  // namespace
}  // namespace quintrel
