// The tray item's menu with the real binary, as a panel that draws menus reads it: the
// entries in order, and each entry, chosen, reaching its action.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using TrayMenuTest = E2eTest;

TEST_F(TrayMenuTest, ListsTheEntriesAndEachReachesItsAction) {
    startWithCode();
    firstAnsweredPoll();
    ASSERT_TRUE(waitForPanelLine([](const std::string& l) { return l.starts_with("item "); }));
    panelCommand("menu");
    ASSERT_TRUE(waitForPanelLine([](const std::string& l) { return l.starts_with("menu "); }));
    const auto& lines = panel().lines();
    const auto menu = *std::find_if(lines.begin(), lines.end(),
                                    [](const std::string& l) { return l.starts_with("menu "); });
    EXPECT_EQ(menu.substr(menu.find(' ', 5) + 1),
              R"(1="Refresh Now" 2="Open Dashboard" 3="Settings…" 4="Check for Updates" )"
              R"(5=separator 6="Quit")");

    const std::string base = serviceURL();
    // Quit (6) last: the app ends, as from the popup's Quit.
    for (const int id : {1, 2, 3, 4, 6}) {
        panelCommand("menu-click " + std::to_string(id));
        EXPECT_TRUE(waitUntil([&] {
            switch (id) {
                case 1:
                    return standin().requests(kPoll).size() >= 2;
                case 2:
                    return opened(base + "/login-code.php?code=" + kDemoCode);
                case 3:
                    return !window("Quintrel Configuration").isEmpty();
                case 4:
                    return opened(base + "/plugin/?type=mac&v=1.0.0");
                default:
                    return app().exitCode() == std::optional<int>(0);
            }
        })) << "entry "
            << id << " did not arrive";
    }
}

}  // namespace
}  // namespace quintrel::e2e
