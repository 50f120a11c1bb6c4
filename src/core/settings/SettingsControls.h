#pragma once
// How the stored preferences set the settings window's controls when it is made.

#include <cstdint>
#include <string>

#include "platform/PreferencesStore.h"

namespace quintrel {

struct SettingsControlStates {
    std::string apiCode;  // shown as stored
    bool notify = true;
    std::int64_t modeIndex = 0;
    bool play = true;
    bool keepAlive = true;
    bool mute = true;
};

// A value of another type counts as missing (a missing switch is on, a missing mode is
// item 0). A switch shows on only for 1, the one value every reader takes as on. A mode
// outside 0..modeItemCount-1 selects item 0.
SettingsControlStates storedControlStates(const PreferencesStore& store, int modeItemCount);

}  // namespace quintrel
