#pragma once
// The command line's side of the session-bus interface: forwards an action to the running
// app, prints its title, or follows its changes. Needs a QCoreApplication; answers the
// process's exit code.

#include <optional>

#include "desktop/remote/CommandLine.h"

namespace quintrel {

// Whether com.quintrel.Companion has an owner on the session bus; none without a bus.
bool remoteAppRunning();

// Calls the action's method. 0 when it arrived, 1 (and a line on standard error) otherwise.
int forwardToRunningApp(CommandAction action);

int printRemoteStatus();

// Prints one line at once, then one per change, until the app quits or standard output closes.
int watchRemoteApp(WatchFormat format);

struct RemoteState {
    QString title;
    QString lastChecked;
    QString lastError;
    bool refreshing = false;
};

// One line of --watch output, without the line feed.
QString watchLine(const RemoteState& state, WatchFormat format);

}  // namespace quintrel
