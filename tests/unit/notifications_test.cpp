// Notifications, their responses and their sounds, on fakes.

#include "fakes/DelegateFixture.h"
#include "notify/SoundFiles.h"

namespace quintrel {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* kRoot = "/opt/quintrel/share/quintrel-companion/";

class Notifications : public fakes::DelegateFixture {
protected:
    void SetUp() override { launch(); }
    void show(const std::string& url = "https://q.test/detail",
              const std::string& sound = "media/01") {
        delegate->showNotification("Title", "Body", url, sound);
    }
    // Which link a response without one opens: the last notification's.
    Lines openedByABareResponse() {
        fakes.browser.opened.clear();
        delegate->userNotificationCenter({"default", nlohmann::json::object()}, [] {});
        return fakes.browser.opened;
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
    ASSERT_EQ(center().categories.size(), 1u);
    const auto& category = center().categories[0];
    ASSERT_EQ(category.actions.size(), 1u);
    EXPECT_EQ(
        std::tie(category.identifier, category.actions[0].identifier, category.actions[0].title),
        std::tuple("quintrel", "ShowDetail", "Detail"));
    EXPECT_EQ(openedByABareResponse(), Lines{"https://q.test/detail"});

    center().addError = NotificationError{"Error 2", "Server went away"};
    show("https://q.test/kept");
    EXPECT_EQ(lines(), Lines{"Unable to Add Notification Request (Error 2, Server went away)"});
    EXPECT_EQ(openedByABareResponse(), Lines{"https://q.test/kept"});
}

TEST_F(Notifications, ThePermissionStateDecidesWhatHappens) {
    const std::optional<NotificationError> ok, failed = NotificationError{"Error 1", "No server"};
    const struct {
        int status;
        bool grant;
        std::optional<NotificationError> requestError;
        std::size_t posted;
        const char* line;   // "" when nothing is printed
        const char* title;  // "Quintrel" when untouched
    } cases[] = {
        {0, true, ok, 1, "", "Quintrel"},
        {0, false, ok, 0, "", "Quintrel"},
        {0, true, failed, 1, "Request Authorization Failed (Error 1, No server)", "Quintrel"},
        {1, true, ok, 0, "Application Not Allowed to Display Notifications", "Quintrel"},
        {3, true, ok, 0, "", "P"},
        {99, true, ok, 0, "", "D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        fakes::FakePlatform fresh;
        auto asking = fresh.makeDelegate();
        asking->applicationDidFinishLaunching();
        fresh.notificationCenter.status = c.status;
        fresh.notificationCenter.grantOnRequest = c.grant;
        fresh.notificationCenter.authorizationError = c.requestError;
        asking->showNotification("Title", "Body", "https://q.test/detail", "media/01");
        EXPECT_EQ(fresh.notificationCenter.requests.size(), c.posted);
        EXPECT_EQ(fresh.console.lines(), *c.line ? Lines{c.line} : Lines{});
        EXPECT_EQ(asking->status().title, c.title);
        EXPECT_EQ(fresh.sounds.played.size(), c.posted);  // no permission, no sound
    }
}

TEST_F(Notifications, AResponseOpensTheLinkInItsUserInfoOrTheLastOne) {
    constexpr const char* kRefused = "Refusing to open notification link that is not http or https";
    struct Case {
        nlohmann::json userInfo;
        std::string last;  // the link of the last notification shown
        Lines opened;
        Lines lines;
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
        show(c.last);
        fakes.console.take();
        fakes.browser.opened.clear();
        int completed = 0;
        delegate->userNotificationCenter({"ShowDetail", c.userInfo}, [&] { ++completed; });
        EXPECT_EQ(fakes.browser.opened, c.opened) << c.userInfo;
        EXPECT_EQ(fakes.console.take(), c.lines) << c.userInfo;
        EXPECT_EQ(completed, 1);
    }
}

// Whether a notification plays its sound: play switch × mute-while-locked × screen.
TEST_F(Notifications, SoundFollowsTheSwitchesAndTheScreen) {
    const std::optional<nlohmann::json> unset;  // the key is missing
    const struct {
        std::optional<nlohmann::json> play, mute;
        bool screenLocked, plays;
    } cases[] = {
        {unset, unset, false, true}, {unset, unset, true, false}, {0, 0, false, false},
        {2, unset, false, false},    {"0", unset, false, true},   {1, 1, true, false},
        {1, 0, true, true},          {1, 1, false, true},
    };
    for (const auto& c : cases) {
        fakes.preferences.setOrErase(prefs::play, c.play);
        fakes.preferences.setOrErase(prefs::mute, c.mute);
        c.screenLocked ? fakes.screenLock.lock() : fakes.screenLock.unlock();
        const auto played = fakes.sounds.played.size();
        show("https://q.test", "media/02");
        EXPECT_EQ(fakes.sounds.played.size() - played, c.plays ? 1u : 0u)
            << c.play.value_or("unset") << c.mute.value_or("unset") << c.screenLocked;
    }
}

// The common names ("/media/05.mp3", "05.mp3", "/media/05.MP3"): the table below.
TEST(SoundName, IsNormalisedAsTheServiceWritesIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"mp3", "mp3"},
        {".mp3", ""},
        {"", ""},
        {"media/05.mp3.mp3", "media/05.mp3"},
        {"/media//media/05", "media/media/05"},
    };
    for (const auto& [given, expected] : cases) {
        EXPECT_EQ(normalisedSoundName(given, "mp3"), expected) << given;
    }
}

// What a notification prints for a sound it does not play.
TEST_F(Notifications, OnlyMediaResourcesPlay) {
    const std::pair<std::string, std::string> cases[] = {
        {"05.mp3", "05.mp3"},  // exists, but outside the media folder
        {"/media/05.MP3", "media/05.MP3.mp3"},
        {"media//01", "media//01.mp3"},  // safePathSegments' checks apply
        {std::string("media/01\0.wav", 13), "media/01?.wav.mp3"},
        {"media/01\nUnable to load sound: x", "media/01?Unable to load sound: x.mp3"},
        {"media/01\x7F", "media/01?.mp3"},
    };
    for (const auto& [file, printed] : cases) {
        show("https://q.test", file);
        EXPECT_EQ(fakes.console.take(), Lines{"Sound file not found: " + printed}) << file;
    }
    EXPECT_TRUE(fakes.sounds.played.empty());
}

TEST_F(Notifications, EachSoundReplacesTheLastAndAnUnreadableOneKeepsIt) {
    const std::string root = kRoot;
    show("https://q.test", "/media/01.mp3");
    show("https://q.test", "media/02");
    EXPECT_EQ(fakes.sounds.played, (Lines{root + "media/01.mp3", root + "media/02.mp3"}));
    ASSERT_EQ(fakes.sounds.made.size(), 2u);
    EXPECT_TRUE(fakes.sounds.made[0].expired());  // the first one was let go
    fakes.sounds.unreadable.insert(root + "media/05.mp3");
    show("https://q.test", "/media/05.mp3");
    EXPECT_EQ(lines(), Lines{"Unable to load sound: " + root + "media/05.mp3"});
    EXPECT_FALSE(fakes.sounds.made[1].expired());  // still playing
}

TEST(StartupSound, PrintsTheFileURLAndPlaysOrSaysWhyNot) {
    fakes::FakeResources resources;
    fakes::FakeSoundFactory sounds;
    fakes::RecordingConsole console;
    std::shared_ptr<Sound> previewPlayer;
    playStartupSound(resources, sounds, console, previewPlayer);
    EXPECT_EQ(console.take(), Lines{"file://" + std::string(kRoot) + "media/01.mp3"});
    EXPECT_EQ(sounds.played.size(), 1u);
    const auto old = previewPlayer;
    ASSERT_NE(old, nullptr);

    sounds.unreadable.insert(std::string(kRoot) + "media/01.mp3");
    playStartupSound(resources, sounds, console, previewPlayer);
    EXPECT_EQ(console.take().back(),
              "The file could not be played because it is not a sound file.");
    resources.files.clear();
    playStartupSound(resources, sounds, console, previewPlayer);
    EXPECT_EQ(console.take(), Lines{"error file"});
    EXPECT_EQ(previewPlayer, old);
}

TEST(FileURL, EncodesWhatAURLCannotCarry) {
    EXPECT_EQ(fileURL("/usr/share/quintrel-companion/media/01.mp3"),
              "file:///usr/share/quintrel-companion/media/01.mp3");
    EXPECT_EQ(fileURL("/home/a b/ä%#?.mp3"), "file:///home/a%20b/%C3%A4%25%23%3F.mp3");
}

}  // namespace
}  // namespace quintrel
