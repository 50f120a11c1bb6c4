#include "settings/SettingsControls.h"

#include "polling/Preferences.h"

namespace quintrel {

SettingsControlStates storedControlStates(const PreferencesStore& store, int modeItemCount) {
    const auto switchState = [&](const char* key) {
        return prefs::integer(store, key).value_or(1) == 1;
    };
    SettingsControlStates states;
    states.apiCode = prefs::text(store, prefs::apiCode).value_or("");
    states.notify = switchState(prefs::notify);
    const auto mode = prefs::integer(store, prefs::mode).value_or(0);
    states.modeIndex = mode >= 0 && mode < modeItemCount ? mode : 0;
    states.play = switchState(prefs::play);
    states.keepAlive = switchState(prefs::keepAlive);
    states.mute = switchState(prefs::mute);
    return states;
}

}  // namespace quintrel
