// The app on a desktop that misbehaves: services that vanish and return, no sound device,
// preferences it cannot use, and a second copy started at the same moment.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

const std::string kPoll = "/api/chrome.php";
const std::string kNotAllowed = "Application Not Allowed to Display Notifications";

QProcessEnvironment shortPollInterval() {
    QProcessEnvironment environment;
    environment.insert("QUINTREL_TEST_POLL_INTERVAL_MS", "700");
    return environment;
}

// Every poll asks for a notification.
class NotifyingDesktop : public E2eTest {
protected:
    QStringList standinArguments() const override { return {"--notify-every", "1"}; }
    void SetUp() override {
#ifndef QUINTREL_TEST_HOOKS
        GTEST_SKIP() << "a short poll interval needs a build with QUINTREL_TEST_HOOKS";
#endif
        E2eTest::SetUp();
    }
    size_t polls() {
        return session().standin().requests(kPoll).size();
    }
};

TEST_F(NotifyingDesktop, NotificationsResumeWhenTheServerComesBack) {
    startNotificationServer();
    session().writePreferences({{"qnapicode", kDemoCode}, {"qnplay", 0}});
    ASSERT_TRUE(session().startPanel());
    ASSERT_TRUE(session().startApp(shortPollInterval()));
    ASSERT_TRUE(waitUntil([&] { return !notificationServer().calls.isEmpty(); }, kTimeout));

    // The server vanishes from the bus, as when it crashes.
    stopNotificationServer();
    const auto gone = session().waitForAppLine(kNotAllowed, session().app().lines().size());
    ASSERT_TRUE(gone.has_value());
    const auto pollsWhileGone = polls();
    ASSERT_TRUE(session().waitForRequests(pollsWhileGone + 2));

    startNotificationServer();
    EXPECT_TRUE(waitUntil([&] { return !notificationServer().calls.isEmpty(); }, kTimeout))
        << "no notification reached the server after it came back";
    EXPECT_TRUE(session().app().running());
}

TEST_F(NotifyingDesktop, WithoutAnAudioDeviceTheAppSaysSoOnStandardErrorAndKeepsPolling) {
    startNotificationServer();
    session().writePreferences({{"qnapicode", kDemoCode}, {"qnplay", 1}});
    ASSERT_TRUE(session().startPanel());
    auto environment = shortPollInterval();
    environment.insert("PULSE_SERVER", "unix:/nonexistent/pulse");
    ASSERT_TRUE(session().startApp(environment));
    ASSERT_TRUE(waitUntil([&] { return !notificationServer().calls.isEmpty(); }, kTimeout));
    // The sound helper, started for the notification, finds nowhere to play it.
    ASSERT_TRUE(waitUntil(
        [&] {
            return session().app().standardError().find(
                       "quintrel-sound: no audio output device, the sound is not heard") !=
                   std::string::npos;
        },
        kTimeout))
        << session().app().standardError();
    const auto count = polls();
    EXPECT_TRUE(session().waitForRequests(count + 2));
    EXPECT_TRUE(session().app().running());
    for (const auto& line : session().app().lines()) {
        EXPECT_EQ(line.find("quintrel-sound"), std::string::npos) << line;
        EXPECT_EQ(line.find("PulseAudio"), std::string::npos) << line;
    }
}

using HostileDesktop = E2eTest;

TEST_F(HostileDesktop, APanelThatRestartsGetsTheItemBackWithTheCurrentTitle) {
    startWithCode();
    const auto poll = firstAnsweredPoll();
    const auto online = std::to_string(nlohmann::json::parse(poll.body).at("online").get<int>());
    ASSERT_TRUE(session().waitForLabel(online));

    session().panel().stop();
    const size_t from = session().panel().lines().size();
    ASSERT_TRUE(session().startPanel());
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto& lines = session().panel().lines();
            return std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end(),
                               [&](const std::string& l) {
                                   return l.starts_with("item ") &&
                                          l.find("label=\"" + online + "\"") != std::string::npos;
                               });
        },
        kTimeout))
        << "the restarted panel did not get the item with the title " << online;
    EXPECT_TRUE(session().app().running());
}

// Preferences the app cannot use: it still starts, says what it found, and shows its item.
struct PreferencesCase {
    const char* name;
    std::function<void(const std::string& directory)> prepare;
    std::string expectedLine;  // "" when there is nothing to say about them
    // Whether what `prepare` left is still there exactly as it was; none: not checked.
    std::function<bool(const std::string& directory)> untouched = nullptr;
};
void PrintTo(const PreferencesCase& c, std::ostream* os) {
    *os << c.name;
}

class UnusablePreferences : public E2eTest, public testing::WithParamInterface<PreferencesCase> {};

TEST_P(UnusablePreferences, StartUpStillWorks) {
    const auto& param = GetParam();
    const std::string config = session().directory().toStdString() + "/config";
    param.prepare(config);
    ASSERT_TRUE(session().startPanel());
    auto environment = QProcessEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config));
    ASSERT_TRUE(session().startApp(environment));
    ASSERT_TRUE(session().waitForItem());
    EXPECT_EQ(session().labels(), std::vector<std::string>{"Quintrel"});
    if (param.expectedLine.empty()) {
        waitUntil([] { return false; }, 1s);
        for (const auto& line : session().app().lines()) {
            EXPECT_EQ(line.find("preferences"), std::string::npos) << line;
        }
    } else {
        const auto line = session().waitForAppLine(param.expectedLine);
        ASSERT_TRUE(line.has_value());
        EXPECT_NE(session().app().lines()[*line].find(config + "/quintrel/preferences.json"),
                  std::string::npos);
    }
    EXPECT_TRUE(session().app().running());
    EXPECT_TRUE(session().standin().log().empty());
    if (param.untouched) {
        EXPECT_TRUE(param.untouched(config));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config + "/quintrel"),
                                std::filesystem::directory_iterator()),
                  1);
    }
}

std::string preferencesPath(const std::string& config) {
    std::filesystem::create_directories(config + "/quintrel");
    return config + "/quintrel/preferences.json";
}

void writePreferencesFile(const std::string& config, const std::string& content) {
    std::ofstream(preferencesPath(config)) << content;
}

std::string readPreferencesFile(const std::string& config) {
    std::ifstream in(preferencesPath(config));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A code the stand-in accepts, and enough else to make the file 2 MiB.
const std::string kLargePreferences =
    nlohmann::json{{"qnapicode", kDemoCode}, {"padding", std::string(2 << 20, 'p')}}.dump();

INSTANTIATE_TEST_SUITE_P(
    Cases, UnusablePreferences,
    testing::Values(
        PreferencesCase{"not_json",
                        [](const std::string& config) {
                            writePreferencesFile(config, "{\"qnapicode\": \"QuintrelDemo");
                        },
                        "cannot be read because it is not valid JSON; it was moved to"},
        PreferencesCase{"a_directory_in_its_place",
                        [](const std::string& config) {
                            std::filesystem::create_directories(config +
                                                                "/quintrel/preferences.json");
                        },
                        "cannot be read: it is a folder, not a regular file"},
        // Neither may hang start-up, nor be replaced by a save.
        PreferencesCase{
            "a_fifo_in_its_place",
            [](const std::string& config) { ::mkfifo(preferencesPath(config).c_str(), 0600); },
            "cannot be read: it is a named pipe, not a regular file",
            [](const std::string& config) {
                return std::filesystem::is_fifo(preferencesPath(config));
            }},
        PreferencesCase{"a_link_to_dev_zero",
                        [](const std::string& config) {
                            std::filesystem::create_symlink("/dev/zero", preferencesPath(config));
                        },
                        "cannot be read: it is a device, not a regular file",
                        [](const std::string& config) {
                            return std::filesystem::read_symlink(preferencesPath(config)) ==
                                   "/dev/zero";
                        }},
        PreferencesCase{
            "two_mebibytes",
            [](const std::string& config) { writePreferencesFile(config, kLargePreferences); },
            "cannot be read: it is larger than 1 MiB",
            [](const std::string& config) {
                return readPreferencesFile(config) == kLargePreferences;
            }},
        PreferencesCase{"no_configuration_directory",
                        [](const std::string& config) { std::filesystem::remove_all(config); },
                        ""}),
    [](const testing::TestParamInfo<PreferencesCase>& info) { return info.param.name; });

TEST_F(HostileDesktop, OfTwoInstancesStartedTogetherExactlyOneStays) {
    session().writePreferences({{"qnapicode", kDemoCode}});
    ASSERT_TRUE(session().startPanel());
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        session().standin().reset();
        Child first("first"), second("second");
        const QString app = QStringLiteral(QUINTREL_E2E_APP);
        ASSERT_TRUE(first.start(app, {}, session().environment()));
        ASSERT_TRUE(second.start(app, {}, session().environment()));
        ASSERT_TRUE(waitUntil([&] { return !first.running() || !second.running(); }, kTimeout));
        Child& gone = first.running() ? second : first;
        Child& stays = first.running() ? first : second;
        EXPECT_EQ(gone.exitCode(), 0);
        EXPECT_EQ(gone.lines(), std::vector<std::string>{"Quintrel Companion is already running"});
        ASSERT_TRUE(session().waitForRequests(1));
        // The second instance would have polled at its start, as the first did.
        waitUntil([] { return false; }, 2s);
        EXPECT_EQ(session().standin().requests(kPoll).size(), 1u);
        EXPECT_TRUE(stays.running());
        stays.stop();
        EXPECT_EQ(stays.exitCode(), 0) << "the app did not quit cleanly on SIGTERM";
    }
}

}  // namespace
}  // namespace quintrel::e2e
