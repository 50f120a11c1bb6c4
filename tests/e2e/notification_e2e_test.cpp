// A reply that asks for a notification, end to end: the desktop's notification server,
// a click on "Detail", the browser, and the sound's lookup.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

const std::string kPoll = "/api/chrome.php";

class NotificationTest : public E2eTest {
protected:
    // Scripts the first poll's reply to ask for a notification.
    void replyWithNotification(const std::string& link) {
        const nlohmann::json reply{
            {"online", 7},
            {"pv", 70},
            {"notify", 1},
            {"notifytitle", "New visitor from Lyon"},
            {"notifydesc", "<b>Lyon</b> & <a href='https://x.test'>more</a>"},
            {"notifyurl", link},
            {"notifysound", "media/02"}};
        ASSERT_TRUE(session().standin().script({{"path", kPoll}, {"body", reply.dump()}}));
    }
};

TEST_F(NotificationTest, DetailOpensTheRepliesLinkInTheBrowser) {
    auto& server = startNotificationServer();
    replyWithNotification("https://q.test/detail?id=1");
    startWithCode();
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }, kTimeout));
    const auto call = server.calls.first();
    EXPECT_EQ(call.appName, "Quintrel");
    EXPECT_EQ(call.summary, "New visitor from Lyon");
    EXPECT_EQ(call.body,
              "&lt;b&gt;Lyon&lt;/b&gt; &amp; &lt;a href='https://x.test'&gt;more&lt;/a&gt;");
    EXPECT_EQ(call.actions, (QStringList{"default", "Detail", "ShowDetail", "Detail"}));
    EXPECT_EQ(call.hints.value("desktop-entry").toString(), "com.quintrel.Companion");
    EXPECT_TRUE(call.hints.value("suppress-sound").toBool());

    server.emitSignal("ActionInvoked", {server.nextId - 1, "ShowDetail"});
    ASSERT_TRUE(waitUntil([&] { return !session().openedUrls().empty(); }, kTimeout));
    EXPECT_EQ(session().openedUrls(), std::vector<std::string>{"https://q.test/detail?id=1"});
    // The reply's sound is one of the application's own.
    for (const auto& line : session().app().lines()) {
        EXPECT_EQ(line.find("Sound file not found"), std::string::npos) << line;
        EXPECT_EQ(line.find("Unable to load sound"), std::string::npos) << line;
    }
}

TEST_F(NotificationTest, ALinkThatIsNotAWebPageOpensNothing) {
    auto& server = startNotificationServer();
    replyWithNotification("file:///etc/passwd");
    startWithCode();
    ASSERT_TRUE(waitUntil([&] { return !server.calls.isEmpty(); }, kTimeout));
    server.emitSignal("ActionInvoked", {server.nextId - 1, "default"});
    ASSERT_TRUE(session().waitForAppLine(
        "Refusing to open notification link that is not http or https", 0, kTimeout));
    EXPECT_TRUE(session().openedUrls().empty());
}

TEST_F(NotificationTest, NoServerOnTheBusIsADenial) {
    replyWithNotification("https://q.test/detail");
    startWithCode();
    ASSERT_TRUE(
        session().waitForAppLine("Application Not Allowed to Display Notifications", 0, kTimeout));
    EXPECT_TRUE(session().openedUrls().empty());
}

}  // namespace
}  // namespace quintrel::e2e
