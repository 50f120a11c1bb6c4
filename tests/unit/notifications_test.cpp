#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

using Lines = std::vector<std::string>;

class Notifications : public fakes::DelegateFixture {
protected:
    void SetUp() override { delegate->statusItem = fakes.statusBar.makeStatusItem(); }
    void show(const std::string& url = "https://q.test/detail") {
        delegate->showNotification("Title", "Body", url, "media/01");
        fakes.mainQueue.runPending();
    }
    fakes::FakeNotificationCenter& center() { return fakes.notificationCenter; }
};

TEST_F(Notifications, AuthorizedPostsOneRequestWithTheDetailCategory) {
    show("https://q.test/first");
    show("https://q.test/detail");  // the last link is kept
    ASSERT_EQ(center().requests.size(), 2u);
    const auto& request = center().requests[1];
    EXPECT_EQ(request.title, "Title");
    EXPECT_EQ(request.body, "Body");
    EXPECT_EQ(request.userInfo, (nlohmann::json{{"notifyurl", "https://q.test/detail"}}));
    EXPECT_EQ(request.categoryIdentifier, "quintrel");
    EXPECT_EQ(request.delay, std::chrono::milliseconds(100));
    EXPECT_EQ(request.identifier, "quintrel_notification_00000000-0000-0000-0000-000000000002");
    // Registered anew each time; the delegate that answers a click: the end-to-end test.
    ASSERT_EQ(center().categories.size(), 1u);
    const auto& category = center().categories[0];
    ASSERT_EQ(category.actions.size(), 1u);
    EXPECT_EQ(
        std::tie(category.identifier, category.actions[0].identifier, category.actions[0].title),
        std::tuple("quintrel", "ShowDetail", "Detail"));
    EXPECT_EQ(delegate->openDetail, "https://q.test/detail");
}

TEST_F(Notifications, ThePermissionStateDecidesWhatHappens) {
    const std::optional<NotificationError> ok, failed = NotificationError{"Error 1", "No server"};
    const struct {
        int status;
        bool grant;
        std::optional<NotificationError> requestError;
        std::size_t posted;
        const char* line;   // "" when nothing is printed
        const char* title;  // "" when untouched
    } cases[] = {
        {0, true, ok, 1, "", ""},
        {0, false, ok, 0, "", ""},
        {0, true, failed, 1, "Request Authorization Failed (Error 1, No server)", ""},
        {1, true, ok, 0, "Application Not Allowed to Display Notifications", ""},
        {3, true, ok, 0, "", "P"},
        {99, true, ok, 0, "", "D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        fakes::FakePlatform fresh;
        auto asking = fresh.makeDelegate();
        asking->statusItem = fresh.statusBar.makeStatusItem();
        fresh.notificationCenter.status = c.status;
        fresh.notificationCenter.grantOnRequest = c.grant;
        fresh.notificationCenter.authorizationError = c.requestError;
        asking->showNotification("Title", "Body", "https://q.test/detail", "media/01");
        fresh.mainQueue.runPending();
        EXPECT_EQ(fresh.notificationCenter.requests.size(), c.posted);
        EXPECT_EQ(fresh.console.lines(), *c.line ? Lines{c.line} : Lines{});
        EXPECT_EQ(fresh.statusBar.title(), c.title);
    }
}

TEST_F(Notifications, AFailedAddIsPrintedAndTheLinkKept) {
    center().addError = NotificationError{"Error 2", "Server went away"};
    show("https://q.test/kept");
    EXPECT_EQ(lines(), std::vector<std::string>{
                           "Unable to Add Notification Request (Error 2, Server went away)"});
    EXPECT_EQ(delegate->openDetail, "https://q.test/kept");
}

TEST_F(Notifications, SchedulingFromAnotherThreadMovesToTheMainThread) {
    std::thread worker(
        [d = delegate] { d->scheduleLocalNotification("T", "B", "https://q.test", "01"); });
    worker.join();
    EXPECT_TRUE(center().requests.empty());
    fakes.mainQueue.runPending();
    EXPECT_EQ(center().requests.size(), 1u);
}

TEST_F(Notifications, AResponseOpensTheLinkInItsUserInfoOrTheLastOne) {
    constexpr const char* kRefused = "Refusing to open notification link that is not http or https";
    struct Case {
        nlohmann::json userInfo;
        std::string openDetail;
        std::vector<std::string> opened;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{{"notifyurl", "https://q.test/a"}}, "https://q.test/last", {"https://q.test/a"}, {}},
        {nlohmann::json::object(), "https://q.test/last", {"https://q.test/last"}, {}},
        {nlohmann::json::object(), "", {}, {}},
        {{{"notifyurl", ""}}, "https://q.test/last", {}, {}},
        {{{"notifyurl", "not a link"}}, "", {}, {}},
        {{{"notifyurl", "file:///etc/passwd"}}, "", {}, {kRefused}},
        {nlohmann::json::object(), "smb://host/share", {}, {kRefused}},
    };
    for (const auto& c : cases) {
        fakes.browser.opened.clear();
        delegate->openDetail = c.openDetail;
        int completed = 0;
        delegate->userNotificationCenter({"ShowDetail", c.userInfo}, [&] { ++completed; });
        fakes.mainQueue.runPending();
        EXPECT_EQ(fakes.browser.opened, c.opened) << c.userInfo;
        EXPECT_EQ(fakes.console.take(), c.lines) << c.userInfo;
        EXPECT_EQ(completed, 1);
    }
}

TEST_F(Notifications, AResponseFromAnotherThreadOpensOnTheMainThread) {
    int completed = 0;
    std::thread platformThread([&, d = delegate] {
        d->userNotificationCenter({"default", {{"notifyurl", "https://q.test/x"}}},
                                  [&] { ++completed; });
    });
    platformThread.join();
    EXPECT_TRUE(fakes.browser.opened.empty());
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.browser.opened, std::vector<std::string>{"https://q.test/x"});
    EXPECT_EQ(completed, 1);
}

}  // namespace
}  // namespace quintrel
