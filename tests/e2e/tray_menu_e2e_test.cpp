// The tray item's menu with the real binary, as a panel that draws menus reads it: the
// entries in order, and each entry, chosen, reaching its action.

#include <QProcess>
#include <map>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using TrayMenuTest = E2eTest;

const std::string kPoll = "/api/chrome.php";
const std::string kEntries =
    R"(1="Refresh Now" 2="Open Dashboard" 3="Settings…" 4="Check for Updates" 5=separator )"
    R"(6="Quit")";

// The panel's next "menu KEY ..." line after `from`, without "menu KEY ".
std::optional<std::string> menuLine(Session& session, size_t from) {
    std::optional<std::string> found;
    waitUntil(
        [&] {
            const auto& lines = session.panel().lines();
            for (size_t i = from; i < lines.size() && !found; ++i) {
                if (lines[i].starts_with("menu ")) {
                    found = lines[i].substr(lines[i].find(' ', 5) + 1);
                }
            }
            return found.has_value();
        },
        kTimeout);
    return found;
}

bool settingsWindowShown(Session& session) {
    QProcess xdotool;
    xdotool.setProcessEnvironment(session.environment());
    xdotool.start(QStringLiteral("xdotool"),
                  {"search", "--onlyvisible", "--name", "^Quintrel Configuration$"});
    xdotool.waitForFinished(10000);
    return !xdotool.readAllStandardOutput().trimmed().isEmpty();
}

bool opened(Session& session, const std::string& url) {
    const auto urls = session.openedUrls();
    return std::find(urls.begin(), urls.end(), url) != urls.end();
}

TEST_F(TrayMenuTest, ListsTheEntriesAndEachReachesItsAction) {
    startWithCode();
    firstAnsweredPoll();
    ASSERT_TRUE(session().waitForItem());
    session().panelCommand("menu");
    const auto entries = menuLine(session(), 0);
    ASSERT_TRUE(entries.has_value()) << "the panel read no menu";
    ASSERT_EQ(*entries, kEntries);

    const std::string base = session().serviceURL();
    const struct {
        int id;
        const char* label;
        std::function<bool()> reached;
    } cases[] = {
        {1, "Refresh Now",
         [&] {
             return session().standin().requests(kPoll).size() >= 2;
         }},
        {2, "Open Dashboard",
         [&] {
             return opened(session(), base + "/login-code.php?code=" + kDemoCode);
         }},
        {3, "Settings…",
         [&] {
             return settingsWindowShown(session());
         }},
        {4, "Check for Updates",
         [&] {
             return opened(session(), base + "/plugin/?type=mac&v=1.0.0");
         }},
        // Last: the app ends, as from the popup's Quit.
        {6, "Quit",
         [&] {
             return session().app().exitCode() == std::optional<int>(0);
         }},
    };
    for (const auto& entry : cases) {
        session().panelCommand("menu-click " + std::to_string(entry.id));
        EXPECT_TRUE(waitUntil(entry.reached, kTimeout)) << entry.label << " did not arrive";
    }
}

}  // namespace
}  // namespace quintrel::e2e
