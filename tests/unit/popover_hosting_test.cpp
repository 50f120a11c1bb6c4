// The tray item's click and the dashboard popup it toggles, on fakes.

#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

class PopoverHosting : public fakes::DelegateFixture {
protected:
    void SetUp() override {
        storeGoodCode();
        delegate->applicationDidFinishLaunching();
        fakes.http.succeed(0, R"({"online":7,"pv":9,"notify":0})");
    }
    void click() { fakes.statusBar.lastItem->click(); }
    fakes::FakePopover* popover() { return fakes.popovers.lastPopover; }
    fakes::FakePopoverContent& controller() { return *fakes.popovers.lastController; }
};

TEST_F(PopoverHosting, FirstClickCreatesAndShowsTheOverviewOnce) {
    click();
    ASSERT_NE(popover(), nullptr);
    EXPECT_TRUE(popover()->isShown());
    EXPECT_EQ(controller().loadedCodes, std::vector<std::string>{fakes::kGoodCode});
    // The status lines are brought up to date before the popup appears.
    ASSERT_EQ(controller().updates.size(), 1u);
    EXPECT_EQ(controller().updates[0].lastError, "None");
    EXPECT_NE(controller().updates[0].lastChecked, "Never");
    // And follow the refreshes while it is open.
    fakes.mainQueue.advance(std::chrono::seconds(45));
    EXPECT_EQ(controller().updates.back().lastChecked, "Checking...");
}

TEST_F(PopoverHosting, SecondClickClosesThirdReusesWithTheChangedCode) {
    click();
    click();
    EXPECT_FALSE(popover()->isShown());
    EXPECT_EQ(popover()->closes, 1);

    const std::string newCode(40, 'n');
    fakes.preferences.set(prefs::apiCode, newCode);
    click();
    EXPECT_TRUE(popover()->isShown());
    EXPECT_EQ(fakes.popovers.popoversMade, 1);
    // One content for both showings: it loaded the first code, then the changed one.
    EXPECT_EQ(controller().loadedCodes, (std::vector<std::string>{fakes::kGoodCode, newCode}));

    popover()->shown = false;  // the desktop closed it: a click elsewhere or Escape
    click();
    EXPECT_TRUE(popover()->isShown());
    EXPECT_EQ(popover()->shows, 3);
}

TEST_F(PopoverHosting, ClickWithoutACodeClosesThePopupAndOpensTheSettings) {
    click();
    fakes.preferences.set(prefs::apiCode, "too short");
    click();
    EXPECT_FALSE(popover()->isShown());
    // Closed even when not shown (by the click, then by the settings window it opens).
    click();
    EXPECT_EQ(popover()->closes, 4);
    EXPECT_EQ(popover()->shows, 1);
    EXPECT_EQ(fakes.settingsWindows.shown, 2);
}

// Without a tray item the status, which the bus reports, follows the poll all the same.
TEST_F(PopoverHosting, ClickWithoutACodeOrButtonBeforeAnyPopupMakesNone) {
    fakes.preferences.erase(prefs::apiCode);
    click();
    EXPECT_FALSE(fakes.popovers.lastController);
    fakes::FakePlatform buttonless;
    buttonless.statusBar.withButton = false;
    buttonless.preferences.set(prefs::apiCode, fakes::kGoodCode);
    const auto other = buttonless.makeDelegate();
    other->applicationDidFinishLaunching();
    buttonless.http.succeed(0, R"({"online":12,"pv":3,"notify":0})");
    EXPECT_EQ(other->status().title, "12");
    EXPECT_EQ(other->status().count, 12u);
    EXPECT_TRUE(buttonless.statusBar.titles.empty());
    other->statusItemClicked();
    EXPECT_EQ(buttonless.popovers.popoversMade, 0);
}

// A caller on the bus has no tray position; the place goes with the click.
TEST_F(PopoverHosting, TheClickSaysWhereThePopupOpens) {
    delegate->statusItemClicked(PopupPlace::pointer);
    EXPECT_EQ(popover()->place, PopupPlace::pointer);
    click();
    click();
    EXPECT_EQ(popover()->place, PopupPlace::trayItem);
}

TEST_F(PopoverHosting, HandlersReachTheDelegateButHoldItWeakly) {
    // The dashboard button's link: the popup's end-to-end test.
    click();
    controller().quit();
    EXPECT_EQ(fakes.application.terminations, 1);
    fakes.mainQueue.advance(AppDelegate::kRefreshQuietInterval);
    controller().refresh();
    EXPECT_EQ(fakes.statusBar.title(), "...");
    fakes.http.succeed(1, "{}");  // the poll's completion holds the delegate until it runs

    auto kept = fakes.popovers.lastController;
    const std::weak_ptr<AppDelegate> weak = delegate;
    delegate.reset();
    EXPECT_TRUE(weak.expired());
    kept->openDashboard();
    kept->openSettings();
    EXPECT_TRUE(fakes.browser.opened.empty());
    EXPECT_EQ(fakes.settingsWindows.shown, 0);
}

}  // namespace
}  // namespace quintrel
