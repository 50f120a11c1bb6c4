#pragma once
// Saving the settings window: the API code is checked with the service, and the code,
// the mode and the four switches are stored only when the service accepts it. Progress
// and failures reach the status title and the last error through the app's SaveReports.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Browser.h"
#include "platform/Console.h"
#include "platform/HttpClient.h"
#include "platform/PreferencesStore.h"
#include "platform/SettingsWindows.h"
#include "polling/ServiceEndpoints.h"

namespace quintrel {

// What the settings window uses of the desktop. The services live as long as the process,
// so a check in flight may outlive the window that started it.
struct SettingsServices {
    HttpClient& http;
    PreferencesStore& preferences;
    Console& console;
    Browser& browser;
    ServiceEndpoints service;
};

// The controls as they were when Save was pressed; a check acts on this, never on the
// controls as they are when its reply arrives.
struct SettingsSnapshot {
    std::string apiCode;  // cleaned by cleanedAPICode()
    std::int64_t notify = 1;
    std::int64_t mode = 0;  // -1 when no item is selected
    std::int64_t play = 1;
    std::int64_t keepAlive = 1;
    std::int64_t mute = 1;
};

// Where a save reports: the app's reports, and the window's own close.
struct SaveTargets {
    SaveReports app;
    std::function<void()> closeWindow;
};

// How one check ended. Every failure shows "Check API" and `errorText`.
struct ValidationOutcome {
    enum class Kind { success, httpFailure, noData, unreadableReply, rejected };
    Kind kind = Kind::success;
    std::string errorText;
};

// The code as typed, with every space, carriage return and line feed removed wherever
// they are, then trimmed. Tabs and other blanks inside the code stay.
std::string cleanedAPICode(std::string_view typed);

// Pressing Save, on the main thread: starts one independent check and returns.
void saveSettings(const SettingsServices& services, SettingsSnapshot snapshot, SaveTargets targets);

// Sorts a finished check; only prints.
ValidationOutcome validationOutcome(const HttpResult& result, Console& console);

// Main thread: stores the snapshot, closes the window and asks for a refresh on success, or
// shows the failure's title and error.
void applyValidationOutcome(const SettingsServices& services, const SettingsSnapshot& snapshot,
                            const ValidationOutcome& outcome, const SaveTargets& targets);

}  // namespace quintrel
