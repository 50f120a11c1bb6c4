// Start-up, the bus handlers and the browser links.

#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

using namespace std::chrono_literals;

class Startup : public fakes::DelegateFixture {};

TEST_F(Startup, WithACodeShowsQuintrelThenDotsAndPollsAtOnce) {
    storeGoodCode();
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(fakes.statusBar.titles, (std::vector<std::string>{"Quintrel", "..."}));
    EXPECT_EQ(fakes.http.resumedURLs().size(), 1u);
}

TEST_F(Startup, WithoutACodeMakesNoRequestButTheTimerStillTicks) {
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(fakes.statusBar.titles, std::vector<std::string>{"Quintrel"});
    EXPECT_EQ(fakes.http.count(), 0u);

    storeGoodCode();  // saved meanwhile: the next tick polls
    fakes.mainQueue.advance(44s);
    EXPECT_EQ(fakes.http.count(), 0u);
    fakes.mainQueue.advance(1s);
    EXPECT_EQ(fakes.http.count(), 1u);
}

TEST_F(Startup, TheTimerPollsEveryFortyFiveSeconds) {
    storeGoodCode();
    delegate->applicationDidFinishLaunching();
    fakes.http.succeed(0, R"({"online":1,"pv":1,"notify":0})");
    fakes.mainQueue.advance(45s);
    EXPECT_EQ(fakes.http.count(), 2u);
    // Unanswered, each poll times out at +30 s, before the next tick.
    fakes.mainQueue.advance(45s * 2);
    EXPECT_EQ(fakes.http.count(), 4u);
    EXPECT_TRUE(fakes.console.lines().empty());
}

TEST_F(Startup, ScreenLockEventsSetTheScreenFlag) {
    storeGoodCode();
    delegate->applicationDidFinishLaunching();
    fakes.screenLock.lock();
    fakes.screenLock.lock();
    EXPECT_EQ(delegate->is_screen_active, 0);
    const auto locked = delegate->getURL();
    EXPECT_EQ(fakes::queryValue(*locked, "shownotify") + fakes::queryValue(*locked, "keepalive") +
                  fakes::queryValue(*locked, "idle"),
              "001");
    fakes.screenLock.unlock();
    EXPECT_EQ(delegate->is_screen_active, 1);
}

TEST_F(Startup, BothButtonsReachTheClickHandlerThroughTheItemAction) {
    delegate->applicationDidFinishLaunching();
    ASSERT_NE(fakes.statusBar.lastItem, nullptr);
    fakes.statusBar.lastItem
        ->click();  // reaches statusItemClicked; nothing to check until it has a body
    SUCCEED();
}

TEST_F(Startup, BusHandlersReadTheTwoLevelPayload) {
    delegate->applicationDidFinishLaunching();
    fakes.statusBar.titles.clear();
    fakes.bus.post("com.quintrel.content", NotificationBus::contentPayload("Check API"));
    fakes.bus.post("com.quintrel.content", nlohmann::json{{"content", "top level"}});
    fakes.bus.post("com.quintrel.content", nlohmann::json{{"userInfo", {{"content", 3}}}});
    fakes.bus.post("com.quintrel.content", NotificationBus::contentPayload(""));
    fakes.bus.post("com.quintrel.error", NotificationBus::contentPayload("API code is required"));
    EXPECT_EQ(fakes.statusBar.titles, (std::vector<std::string>{"Check API", ""}));
    EXPECT_EQ(delegate->lastErrorMessage, "API code is required");
}

TEST_F(Startup, ADelegateThatIsGoneHearsNothing) {
    delegate->applicationDidFinishLaunching();
    delegate.reset();
    fakes.bus.post("com.quintrel.refresh");
    fakes.mainQueue.advance(46s);
    EXPECT_EQ(fakes.http.count(), 0u);
}

TEST_F(Startup, DashboardLinkCarriesTheCodeOrOpensNothing) {
    storeGoodCode();
    delegate->opendashboard();
    EXPECT_EQ(fakes.browser.opened,
              std::vector<std::string>{std::string("https://quintrel.test/login-code.php?code=") +
                                       fakes::kGoodCode});
    fakes.preferences.erase(prefs::apiCode);
    EXPECT_EQ(delegate->dashboardURL(), std::nullopt);
    delegate->opendashboard();
    EXPECT_EQ(fakes.browser.opened.size(), 1u);
}

TEST_F(Startup, UpdatePageCarriesTheVersionUnencoded) {
    delegate->checkupdate();
    auto unknown = fakes.makeDelegate(BundleInfo{std::nullopt});
    unknown->checkupdate();
    auto broken = fakes.makeDelegate(BundleInfo{"2.1 beta"});
    broken->checkupdate();
    EXPECT_EQ(fakes.browser.opened,
              (std::vector<std::string>{"https://quintrel.test/plugin/?type=mac&v=1.0.0",
                                        "https://quintrel.test/plugin/?type=mac&v="}));
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
