// A reply that asks for a notification, end to end: the desktop's notification server, a
// click on "Detail", the browser, and the sound's lookup. What Notify carries is the
// notification center's test; which links open, the logic's.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using NotificationTest = E2eTest;

TEST_F(NotificationTest, DetailOpensTheRepliesLinkInTheBrowser) {
    auto& server = startNotificationServer();
    const nlohmann::json reply{{"online", 7},
                               {"pv", 70},
                               {"notify", 1},
                               {"notifytitle", "New visitor from Lyon"},
                               {"notifydesc", "From Lyon"},
                               {"notifyurl", "https://q.test/detail?id=1"},
                               {"notifysound", "media/02"}};
    ASSERT_TRUE(standin().script({{"path", kPoll}, {"body", reply.dump()}}));
    startWithCode();
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }));
    EXPECT_EQ(server.calls.first().summary, "New visitor from Lyon");

    server.emitSignal("ActionInvoked", {server.nextId - 1, "ShowDetail"});
    ASSERT_TRUE(waitUntil([&] { return !openedUrls().empty(); }));
    EXPECT_EQ(openedUrls(), std::vector<std::string>{"https://q.test/detail?id=1"});
    // The reply's sound is one of the application's own.
    for (const auto& line : app().lines()) {
        EXPECT_EQ(line.find("Sound file not found"), std::string::npos) << line;
        EXPECT_EQ(line.find("Unable to load sound"), std::string::npos) << line;
    }
}

}  // namespace
}  // namespace quintrel::e2e
