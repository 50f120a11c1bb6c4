// A reply that asks for a notification, end to end: the desktop's notification server, a
// click on "Detail" and the browser. What Notify carries is the notification center's
// test; which links open, the logic's; the sound, the package test's.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

using NotificationTest = E2eTest;

TEST_F(NotificationTest, DetailOpensTheRepliesLinkInTheBrowser) {
    auto& server = startNotificationServer();
    const std::string reply =
        R"({"online":7,"pv":70,"notify":1,"notifytitle":"New visitor",)"
        R"("notifydesc":"From Lyon","notifyurl":"https://q.test/detail?id=1",)"
        R"("notifysound":"media/02"})";  // every notification field is required
    ASSERT_TRUE(standin().script({{"path", kPoll}, {"body", reply}}));
    startWithCode();
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }));

    server.emitSignal("ActionInvoked", {server.nextId - 1, "ShowDetail"});
    ASSERT_TRUE(waitUntil([&] { return !openedUrls().empty(); }));
    EXPECT_EQ(openedUrls(), std::vector<std::string>{"https://q.test/detail?id=1"});
}

}  // namespace
}  // namespace quintrel::e2e
