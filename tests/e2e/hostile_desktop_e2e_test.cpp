// The app on a desktop that misbehaves.

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

const std::string kNotAllowed = "Application Not Allowed to Display Notifications";

// Every poll asks for a notification with a sound, and polls come quickly.
class NotifyingDesktop : public E2eTest {
protected:
    QStringList standinArguments() const override { return {"--notify-every", "1"}; }
    bool pollsGoOn() { return waitForRequests(standin().requests(kPoll).size() + 2); }
};

TEST_F(NotifyingDesktop, WithoutAnAudioDeviceOrANotificationServerPollingGoesOn) {
    startNotificationServer();
    auto environment = shortPoll(700);
    environment.insert("PULSE_SERVER", "unix:/nonexistent/pulse");
    startWithCode(environment, {{"qnplay", 1}});
    ASSERT_TRUE(waitUntil([&] { return !notificationServer().calls.isEmpty(); }));
    ASSERT_TRUE(waitUntil([&] {
        return app().saidOnStandardError(
            "quintrel-sound: no audio output device, the sound is not heard");
    })) << app().standardError();
    ASSERT_TRUE(pollsGoOn());

    stopNotificationServer();  // as when it crashes, then it comes back
    ASSERT_TRUE(waitForAppLine(kNotAllowed, app().lines().size()));
    ASSERT_TRUE(pollsGoOn());
    startNotificationServer();
    EXPECT_TRUE(waitUntil([&] { return !notificationServer().calls.isEmpty(); }))
        << "no notification reached the server after it came back";
}

using HostileDesktop = E2eTest;

TEST_F(HostileDesktop, OfTwoInstancesStartedTogetherExactlyOneStays) {
    writePreferences({{"qnapicode", kDemoCode}});
    ASSERT_TRUE(startPanel());
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const size_t polls = standin().requests(kPoll).size();
        Child first("first"), second("second");
        ASSERT_TRUE(first.start(appProgram(), {}, environment()));
        ASSERT_TRUE(second.start(appProgram(), {}, environment()));
        ASSERT_TRUE(waitUntil([&] { return !first.running() || !second.running(); }));
        Child& gone = first.running() ? second : first;
        Child& stays = first.running() ? first : second;
        EXPECT_EQ(gone.exitCode(), 0);
        EXPECT_EQ(gone.lines(), std::vector<std::string>{"Quintrel Companion is already running"});
        ASSERT_TRUE(waitForRequests(polls + 1));
        waitUntil([] { return false; }, 2s);  // the second one would have polled at its start
        EXPECT_EQ(standin().requests(kPoll).size(), polls + 1);
        EXPECT_TRUE(stays.running());
        stays.stop();
        EXPECT_EQ(stays.exitCode(), 0) << "the app did not quit cleanly on SIGTERM";
    }
}

}  // namespace
}  // namespace quintrel::e2e
