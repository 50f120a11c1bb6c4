// The freedesktop notification center against a fake server on a private bus.

#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "FakeNotificationServer.h"
#include "desktop/notify/FreedesktopNotificationCenter.h"

namespace quintrel {

namespace {

constexpr int kPatienceMs = 10'000;  // the machine is shared: wait for events generously

class RecordingDelegate final : public NotificationCenterDelegate {
public:
    void userNotificationCenter(const NotificationResponse& response,
                                std::function<void()> completionHandler) override {
        responses.push_back(response);
        completionHandler();
    }
    std::vector<NotificationResponse> responses;
};

NotificationRequest request(const std::string& link, const std::string& body = "Body",
                            std::chrono::milliseconds delay = std::chrono::milliseconds(100)) {
    return {"quintrel_notification_A", "Title", body, {{"notifyurl", link}}, "quintrel", delay};
}

}  // namespace

class NotificationCenterTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<fakes::FakeNotificationServer> server;
    std::unique_ptr<FreedesktopNotificationCenter> center;
    std::shared_ptr<RecordingDelegate> delegate;

    int settings() {
        int status = -1;
        center->getNotificationSettings([&](int answer) { status = answer; });
        (void)QTest::qWaitFor([&] { return status != -1; }, kPatienceMs);
        return status;  // -1 when no answer came
    }
    // Posts `r` and returns the server's id for it (0 when adding failed).
    uint post(NotificationRequest r) {
        bool done = false;
        const auto before = server->calls.size();
        center->add(std::move(r), [&](std::optional<NotificationError>) { done = true; });
        if (!QTest::qWaitFor([&] { return done; }, kPatienceMs)) {
            return 0;
        }
        return server->calls.size() > before ? server->nextId - 1 : 0;
    }

private slots:
    void init() {
        server = std::make_unique<fakes::FakeNotificationServer>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-notification-server"));
        center = std::make_unique<FreedesktopNotificationCenter>();
        delegate = std::make_shared<RecordingDelegate>();
        center->setNotificationCategories({{"quintrel", {{"ShowDetail", "Detail"}}}});
        center->setDelegate(delegate);
    }
    void cleanup() {
        center.reset();
        server.reset();
    }

    void notifyCarriesTheRequestAsTheServerExpectsIt() {
        settings();
        center->add(request("https://q.test/d", "<a href='x'>go</a> & <img src=y>"),
                    [](std::optional<NotificationError>) {});
        QVERIFY2(server->calls.isEmpty(), "posted only after the request's delay");
        QTRY_COMPARE_WITH_TIMEOUT(server->calls.size(), 1, kPatienceMs);
        const auto& call = server->calls.first();
        QCOMPARE(call.appName, "Quintrel");
        QCOMPARE(call.summary, "Title");
        QCOMPARE(call.body, "&lt;a href='x'&gt;go&lt;/a&gt; &amp; &lt;img src=y&gt;");
        QCOMPARE(call.actions, (QStringList{"default", "Detail", "ShowDetail", "Detail"}));
        QCOMPARE(call.hints.value("desktop-entry").toString(), "com.quintrel.Companion");
        QCOMPARE(call.hints.value("suppress-sound").toBool(), true);
        QCOMPARE(call.hints.value("suppress-sound").userType(), QMetaType::Bool);
    }

    void eitherActionReachesTheDelegateOnceWithTheUserInfo() {
        const uint first = post(request("https://q.test/1"));
        const uint second = post(request("https://q.test/2"));
        QCOMPARE(center->trackedCount(), 2u);

        server->emitSignal("ActionInvoked", {second, "ShowDetail"});
        QTRY_COMPARE_WITH_TIMEOUT(delegate->responses.size(), 1u, kPatienceMs);
        QCOMPARE(delegate->responses[0].actionIdentifier, std::string("ShowDetail"));
        QVERIFY(delegate->responses[0].userInfo ==
                (nlohmann::json{{"notifyurl", "https://q.test/2"}}));

        // Another application's ids and repeats are ignored; the last signal shows they were
        // handled.
        server->emitSignal("ActionInvoked", {second + 100, "default"});
        server->emitSignal("ActionInvoked", {second, "default"});
        server->emitSignal("ActionInvoked", {first, "default"});
        QTRY_COMPARE_WITH_TIMEOUT(delegate->responses.size(), 2u, kPatienceMs);
        QVERIFY(delegate->responses[1].userInfo ==
                (nlohmann::json{{"notifyurl", "https://q.test/1"}}));
        QCOMPARE(center->trackedCount(), 0u);
    }

    void onlyTheNewestAreTrackedWhenTheServerNeverCloses() {
        uint last = 0;
        for (int i = 0; i < 60; ++i) {
            last = post(request("https://q.test/" + std::to_string(i), "Body", {}));
        }
        QCOMPARE(center->trackedCount(), FreedesktopNotificationCenter::kMaximumTracked);
        server->emitSignal("ActionInvoked", {last - 59, "default"});  // evicted
        server->emitSignal("ActionInvoked", {last, "default"});
        QTRY_COMPARE_WITH_TIMEOUT(delegate->responses.size(), 1u, kPatienceMs);
        QVERIFY(delegate->responses[0].userInfo["notifyurl"] == "https://q.test/59");
    }

    void aNewServerIsAskedAfreshAndItsIdsAreNotOurs() {
        QCOMPARE(settings(), int(AuthorizationStatus::authorized));
        QCOMPARE(post(request("https://q.test/old")), 1u);
        QCOMPARE(center->bodyMarkup(), std::optional<bool>(true));

        // The server restarts: the new one numbers from 1 again and renders no markup.
        server.reset();
        server = std::make_unique<fakes::FakeNotificationServer>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "restarted-server"));
        server->capabilities = {"actions", "body"};
        QTRY_COMPARE_WITH_TIMEOUT(center->bodyMarkup(), std::optional<bool>(false), kPatienceMs);
        QCOMPARE(center->trackedCount(), 0u);

        // Another program's notification 1 is clicked, then one of ours: only ours arrives.
        server->emitSignal("ActionInvoked", {1u, "default"});
        const uint ours = post(request("https://q.test/new", "Tom & Jerry"));
        QCOMPARE(server->calls.last().body, "Tom & Jerry");
        server->emitSignal("ActionInvoked", {ours, "default"});
        QTRY_COMPARE_WITH_TIMEOUT(delegate->responses.size(), 1u, kPatienceMs);
        QVERIFY(delegate->responses[0].userInfo["notifyurl"] == "https://q.test/new");
    }
};

}  // namespace quintrel

QTEST_GUILESS_MAIN(quintrel::NotificationCenterTest)
#include "notification_center_test.moc"
