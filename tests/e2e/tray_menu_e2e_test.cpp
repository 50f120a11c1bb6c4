// The tray menu as a panel reads it, each entry reaching its action; before that, a
// notification's "Detail" opening the reply's link.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using TrayMenuTest = E2eTest;

TEST_F(TrayMenuTest, DetailOfANotificationAndEachMenuEntryReachTheirActions) {
    auto& server = startNotificationServer();
    const std::string reply =
        R"({"online":7,"pv":70,"notify":1,"notifytitle":"New visitor",)"
        R"("notifydesc":"From Lyon","notifyurl":"https://q.test/detail?id=1",)"
        R"("notifysound":"media/02"})";
    ASSERT_TRUE(standin().script({{"path", kPoll}, {"body", reply}}));
    startWithCode();
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }));
    server.emitSignal("ActionInvoked", {server.nextId - 1, "ShowDetail"});
    ASSERT_TRUE(waitUntil([&] { return !openedUrls().empty(); }));
    EXPECT_EQ(openedUrls(), std::vector<std::string>{"https://q.test/detail?id=1"});

    ASSERT_TRUE(waitForPanelLine([](const std::string& l) { return l.starts_with("item "); }));
    panelCommand("menu");
    ASSERT_TRUE(waitForPanelLine([](const std::string& l) { return l.starts_with("menu "); }));
    const auto& lines = panel().lines();
    const auto menu = *std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return l.starts_with("menu "); });
    EXPECT_EQ(menu.substr(menu.find(' ', 5) + 1),
              R"(1="Show Overview" 2=separator 3="Refresh Now" 4="Open Dashboard" )"
              R"(5="Settings…" 6="Check for Updates" 7=separator 8="Quit")");

    const std::string base = serviceURL();
    for (const int id : {1, 3, 4, 5, 6, 8}) {
        panelCommand("menu-click " + std::to_string(id));
        EXPECT_TRUE(waitUntil(
            [&] {
                switch (id) {
                    case 1:
                        return !window("Quintrel").isEmpty();
                    case 3:
                        return standin().requests(kPoll).size() >= 2;
                    case 4:
                        return opened(base + "/login-code.php?code=" + kDemoCode);
                    case 5:
                        return !window("Quintrel Configuration").isEmpty();
                    case 6:
                        return opened(base + "/plugin/?type=mac&v=1.0.0");
                    default:
                        return app().exitCode() == std::optional<int>(0);
                }
            },
            kWebTimeout))
            << "entry " << id << " did not arrive";
    }
}

}  // namespace
}  // namespace quintrel::e2e
