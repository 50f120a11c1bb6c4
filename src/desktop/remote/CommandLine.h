#pragma once
// The executable's command line: no option starts the app; each action option either
// reaches the running app over the session bus or, for --settings and --popup, starts it.

#include <optional>

#include <QString>
#include <QStringList>

namespace quintrel {

enum class CommandAction {
    StartApp,
    Refresh,
    Settings,
    Dashboard,
    Popup,
    CheckUpdate,
    Quit,
    Status,
    Watch,
    Help,
    Version,
};

enum class WatchFormat { Text, Json, Waybar };

struct CommandLine {
    CommandAction action = CommandAction::StartApp;
    WatchFormat format = WatchFormat::Text;
    // Set when the arguments are not understood: what is wrong, for standard error.
    std::optional<QString> error;
};

// `arguments` includes the program name first, as argv does.
CommandLine parseCommandLine(const QStringList& arguments);
QString commandLineHelp();
QString commandLineUsage();

}  // namespace quintrel
