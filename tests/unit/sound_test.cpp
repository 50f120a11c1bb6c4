#include "fakes/DelegateFixture.h"
#include "notify/SoundFiles.h"

namespace quintrel {
namespace {

using fakes::DelegateFixture;
constexpr const char* kRoot = "/opt/quintrel/share/quintrel-companion/";

// Whether a notification plays its sound: play switch × mute-while-locked × screen.
TEST_F(DelegateFixture, SoundFollowsTheSwitchesAndTheScreen) {
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
        fakes::FakePlatform fresh;
        fresh.preferences.setOrErase(prefs::play, c.play);
        fresh.preferences.setOrErase(prefs::mute, c.mute);
        const auto notifying = fresh.makeDelegate();
        notifying->is_screen_active = c.screenLocked ? 0 : 1;
        notifying->showNotification("T", "B", "https://q.test", "media/02");
        fresh.mainQueue.runPending();
        EXPECT_EQ(fresh.sounds.played.size(), c.plays ? 1u : 0u)
            << c.play.value_or("unset") << c.mute.value_or("unset") << c.screenLocked;
        EXPECT_EQ(fresh.notificationCenter.requests.size(), 1u) << "always shown";
    }
}

TEST_F(DelegateFixture, DeniedPermissionPlaysNoSound) {
    fakes.notificationCenter.status = AuthorizationStatus::denied;
    delegate->showNotification("T", "B", "https://q.test", "media/01");
    fakes.mainQueue.runPending();
    EXPECT_TRUE(fakes.sounds.played.empty());
}

// The common names ("/media/05.mp3", "05.mp3", "/media/05.MP3"): the playSound tests below.
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

// What playSound prints for a name it does not play; the played paths are the test below's.
TEST_F(DelegateFixture, PlaySoundFindsOnlyMediaResources) {
    const std::pair<std::string, std::string> cases[] = {
        // A resource outside the media folder is never played, even if it exists.
        {"05.mp3", "05.mp3"},
        {"/media/05.MP3", "media/05.MP3.mp3"},
        // The name's own checks are safePathSegments'; this row shows they apply.
        {"media//01", "media//01.mp3"},
        {std::string("media/01\0.wav", 13), "media/01?.wav.mp3"},
        {"media/01\nUnable to load sound: x", "media/01?Unable to load sound: x.mp3"},
    };
    for (const auto& [file, printed] : cases) {
        delegate->playSound(file, "mp3");
        EXPECT_EQ(fakes.console.take(), std::vector{"Sound file not found: " + printed}) << file;
    }
    EXPECT_TRUE(fakes.sounds.played.empty());
}

TEST_F(DelegateFixture, EachSoundReplacesTheLastAndAnUnreadableOneKeepsIt) {
    const std::string root = kRoot;
    delegate->playSound("/media/01.mp3", "mp3");
    const auto first = delegate->soundPlayer;
    delegate->playSound("media/02", "mp3");
    ASSERT_NE(delegate->soundPlayer, nullptr);
    EXPECT_NE(delegate->soundPlayer, first);
    EXPECT_EQ(fakes.sounds.played,
              (std::vector<std::string>{root + "media/01.mp3", root + "media/02.mp3"}));

    const auto second = delegate->soundPlayer;
    fakes.sounds.unreadable.insert(root + "media/05.mp3");
    delegate->playSound("/media/05.mp3", "mp3");
    EXPECT_EQ(lines(), std::vector<std::string>{"Unable to load sound: " + root + "media/05.mp3"});
    EXPECT_EQ(delegate->soundPlayer, second);
}

TEST(StartupSound, PrintsTheFileURLAndPlaysOrSaysWhyNot) {
    fakes::FakeResources resources;
    fakes::FakeSoundFactory sounds;
    fakes::RecordingConsole console;
    std::shared_ptr<Sound> previewPlayer;
    playStartupSound(resources, sounds, console, previewPlayer);
    EXPECT_EQ(console.take(),
              std::vector<std::string>{"file://" + std::string(kRoot) + "media/01.mp3"});
    EXPECT_EQ(sounds.played.size(), 1u);
    const auto old = previewPlayer;
    ASSERT_NE(old, nullptr);

    sounds.unreadable.insert(std::string(kRoot) + "media/01.mp3");
    playStartupSound(resources, sounds, console, previewPlayer);
    EXPECT_EQ(console.take().back(),
              "The file could not be played because it is not a sound file.");
    resources.files.clear();
    playStartupSound(resources, sounds, console, previewPlayer);
    EXPECT_EQ(console.take(), std::vector<std::string>{"error file"});
    EXPECT_EQ(previewPlayer, old);
}

TEST(FileURL, EncodesWhatAURLCannotCarry) {
    EXPECT_EQ(fileURL("/usr/share/quintrel-companion/media/01.mp3"),
              "file:///usr/share/quintrel-companion/media/01.mp3");
    EXPECT_EQ(fileURL("/home/a b/ä%#?.mp3"), "file:///home/a%20b/%C3%A4%25%23%3F.mp3");
}

}  // namespace
}  // namespace quintrel
