// How stored preferences set the settings window's controls, mistyped values included.

#include <gtest/gtest.h>

#include "fakes/FakeDesktop.h"
#include "polling/Preferences.h"
#include "settings/SettingsControls.h"

namespace quintrel {
namespace {

using nlohmann::json;

TEST(SettingsControls, NothingStoredGivesAnEmptyCodeTheFirstModeAndEverySwitchOn) {
    const fakes::FakePreferences store;
    const auto states = storedControlStates(store, 2);
    EXPECT_EQ(states.apiCode, "");
    EXPECT_EQ(states.modeIndex, 0);
    EXPECT_TRUE(states.notify && states.play && states.keepAlive && states.mute);
}

TEST(SettingsControls, SwitchesShowOnlyOneAsOnAndTakeMistypedValuesAsMissing) {
    const std::pair<json, bool> cases[] = {
        {1, true},   {0, false},      {true, true},          {false, false}, {2, false},
        {-1, false}, {1.0, true},     {0.0, false},          {1.5, true},    {"0", true},
        {"1", true}, {nullptr, true}, {json::array(), true},
    };
    for (const char* key : {prefs::notify, prefs::play, prefs::keepAlive, prefs::mute}) {
        for (const auto& [stored, on] : cases) {
            SCOPED_TRACE(std::string(key) + " = " + stored.dump());
            fakes::FakePreferences store;
            store.set(key, stored);
            const auto states = storedControlStates(store, 2);
            const bool shown = key == prefs::notify ? states.notify
                               : key == prefs::play ? states.play
                               : key == prefs::mute ? states.mute
                                                    : states.keepAlive;
            EXPECT_EQ(shown, on);
        }
    }
}

TEST(SettingsControls, AModeOutsideTheItemsSelectsTheFirst) {
    const std::pair<json, std::int64_t> cases[] = {
        {0, 0},
        {1, 1},
        {2, 2},
        {3, 0},
        {7, 0},
        {-1, 0},
        {true, 1},
        {2.0, 2},
        {1.5, 0},
        {"1", 0},
        {json(INT64_MIN), 0},
        {json(UINT64_MAX), 0},
    };
    for (const auto& [stored, index] : cases) {
        SCOPED_TRACE(stored.dump());
        fakes::FakePreferences store;
        store.set(prefs::mode, stored);
        EXPECT_EQ(storedControlStates(store, 3).modeIndex, index);
    }
}

TEST(SettingsControls, TheCodeIsShownAsStoredWhenItIsText) {
    fakes::FakePreferences store;
    store.set(prefs::apiCode, "  abc \n");
    EXPECT_EQ(storedControlStates(store, 2).apiCode, "  abc \n");
    store.set(prefs::apiCode, 12345);
    EXPECT_EQ(storedControlStates(store, 2).apiCode, "");
}

}  // namespace
}  // namespace quintrel
