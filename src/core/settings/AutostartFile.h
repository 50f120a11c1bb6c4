#pragma once
// Start at login: the user's XDG autostart entry on disk, read and switched on or off
// without ever losing what the user wrote into it.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/UserFiles.h"
#include "polling/EndpointOverrides.h"

namespace quintrel::autostart {

// $XDG_CONFIG_HOME/autostart/com.quintrel.Companion.desktop, with ~/.config when
// XDG_CONFIG_HOME is unset or relative; none without an absolute HOME either.
std::optional<std::filesystem::path> entryPath(const EnvironmentLookup& environment);

// The running program, for the entry's Exec; none where the system does not tell.
std::optional<std::filesystem::path> runningBinary();

struct State {
    bool enabled = false;
    // Why the entry could not be taken as on: it is unreadable or no desktop entry.
    std::optional<std::string> problem;
};

State readState(const UserFiles& files, const std::filesystem::path& entry);

// Switches start at login on or off, starting `exec`. No entry is written: ours, whole.
// Off deletes an entry that is exactly ours and marks any other Hidden=true; on undoes
// what disables an existing entry and keeps the rest of it. Answers none on success, else
// a message for the user, with the files as they were.
std::optional<std::string> setEnabled(UserFiles& files, const std::filesystem::path& entry, bool on,
                                      std::string_view exec);

}  // namespace quintrel::autostart
