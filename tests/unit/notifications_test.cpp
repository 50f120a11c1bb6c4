#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

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
    show();
    ASSERT_EQ(center().requests.size(), 1u);
    const auto& request = center().requests[0];
    EXPECT_EQ(request.title, "Title");
    EXPECT_EQ(request.body, "Body");
    EXPECT_EQ(request.userInfo, (nlohmann::json{{"notifyurl", "https://q.test/detail"}}));
    EXPECT_EQ(request.categoryIdentifier, "quintrel");
    EXPECT_EQ(request.delay, std::chrono::milliseconds(100));
    EXPECT_EQ(request.identifier, "quintrel_notification_00000000-0000-0000-0000-000000000001");
    ASSERT_EQ(center().categories.size(), 1u);
    EXPECT_EQ(center().categories[0].identifier, "quintrel");
    ASSERT_EQ(center().categories[0].actions.size(), 1u);
    EXPECT_EQ(center().categories[0].actions[0].identifier, "ShowDetail");
    EXPECT_EQ(center().categories[0].actions[0].title, "Detail");
    EXPECT_EQ(center().delegate.lock(), delegate);
    EXPECT_EQ(delegate->openDetail, "https://q.test/detail");
}

TEST_F(Notifications, TwoInARowGetTwoIdentifiersAndTheLastLinkIsKept) {
    show("https://q.test/1");
    show("");
    ASSERT_EQ(center().requests.size(), 2u);
    EXPECT_NE(center().requests[0].identifier, center().requests[1].identifier);
    EXPECT_EQ(delegate->openDetail, "");
    EXPECT_EQ(center().categoryRegistrations, 2);
}

struct Permission {
    const char* name;
    int status;
    bool grant;
    std::optional<NotificationError> requestError;
    std::size_t posted;
    std::vector<std::string> lines;
    const char* title;  // "" when untouched
};
void PrintTo(const Permission& c, std::ostream* os) {
    *os << c.name;
}

class PermissionStates : public Notifications, public testing::WithParamInterface<Permission> {};

TEST_P(PermissionStates, DecideWhatHappens) {
    const auto& c = GetParam();
    center().status = c.status;
    center().grantOnRequest = c.grant;
    center().authorizationError = c.requestError;
    show();
    EXPECT_EQ(center().requests.size(), c.posted);
    EXPECT_EQ(lines(), c.lines);
    EXPECT_EQ(title(), c.title);
    if (c.status == AuthorizationStatus::notDetermined) {
        EXPECT_EQ(center().requestedOptions, std::vector<unsigned>{7u});
    } else {
        EXPECT_TRUE(center().requestedOptions.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PermissionStates,
    testing::Values(Permission{"undetermined_granted", 0, true, std::nullopt, 1, {}, ""},
                    Permission{"undetermined_refused", 0, false, std::nullopt, 0, {}, ""},
                    Permission{"request_failed_but_granted",
                               0,
                               true,
                               NotificationError{"Error 1", "No server"},
                               1,
                               {"Request Authorization Failed (Error 1, No server)"},
                               ""},
                    Permission{"denied",
                               1,
                               true,
                               std::nullopt,
                               0,
                               {"Application Not Allowed to Display Notifications"},
                               ""},
                    Permission{"provisional", 3, true, std::nullopt, 0, {}, "P"},
                    Permission{"ephemeral", 4, true, std::nullopt, 0, {}, "D"},
                    Permission{"unlisted", 99, true, std::nullopt, 0, {}, "D"}),
    [](const testing::TestParamInfo<Permission>& info) { return info.param.name; });

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
        {{{"notifyurl", "HTTP://q.test/b"}}, "", {"HTTP://q.test/b"}, {}},
        {nlohmann::json::object(), "https://q.test/last", {"https://q.test/last"}, {}},
        {{{"notifyurl", 5}}, "https://q.test/last", {"https://q.test/last"}, {}},
        {nlohmann::json::object(), "", {}, {}},
        {{{"notifyurl", ""}}, "https://q.test/last", {}, {}},
        {{{"notifyurl", "not a link"}}, "", {}, {}},
        {{{"notifyurl", "file:///etc/passwd"}}, "", {}, {kRefused}},
        {{{"notifyurl", "javascript:alert(1)"}}, "", {}, {kRefused}},
        {{{"notifyurl", "x-scheme-handler://run"}}, "", {}, {kRefused}},
        {{{"notifyurl", "https://"}}, "", {}, {kRefused}},
        {nlohmann::json::object(), "smb://host/share", {}, {kRefused}},
    };
    for (const auto& c : cases) {
        fakes.browser.opened.clear();
        const auto before = lines().size();
        delegate->openDetail = c.openDetail;
        int completed = 0;
        delegate->userNotificationCenter({"ShowDetail", c.userInfo}, [&] { ++completed; });
        fakes.mainQueue.runPending();
        EXPECT_EQ(fakes.browser.opened, c.opened) << c.userInfo;
        const auto all = lines();
        EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<long>(before), all.end()),
                  c.lines)
            << c.userInfo;
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
    EXPECT_EQ(completed, 0);
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.browser.opened, std::vector<std::string>{"https://q.test/x"});
    EXPECT_EQ(completed, 1);
}

}  // namespace
}  // namespace quintrel
