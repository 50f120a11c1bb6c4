// Opening the settings window: made once, then only shown again, always on the main thread.

#include <thread>

#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

class SettingView : public fakes::DelegateFixture {};

TEST_F(SettingView, MakesTheWindowOnceAndShowsItEachTime) {
    delegate->settingView();
    delegate->settingView();
    EXPECT_EQ(fakes.settingsWindows.made, 1);
    EXPECT_EQ(fakes.settingsWindows.shown, 2);
    EXPECT_NE(delegate->settingsWindowController, nullptr);
}

TEST_F(SettingView, ClosesAnOpenPopupFirst) {
    storeGoodCode();
    delegate->statusItem = fakes.statusBar.makeStatusItem();
    delegate->statusItemClicked();
    ASSERT_NE(fakes.popovers.lastPopover, nullptr);
    ASSERT_TRUE(fakes.popovers.lastPopover->isShown());
    delegate->settingView();
    EXPECT_FALSE(fakes.popovers.lastPopover->isShown());
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
}

TEST_F(SettingView, StartUpWithoutACodeOpensTheWindow) {
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
}

TEST_F(SettingView, FromAnotherThreadTheWindowOpensOnTheMainThread) {
    std::thread([&] { delegate->settingView(); }).join();
    EXPECT_EQ(fakes.settingsWindows.made, 0);
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.settingsWindows.made, 1);
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
}

}  // namespace
}  // namespace quintrel
