#pragma once
// Makes the settings window ("Quintrel Configuration") and brings it to the user.

#include <functional>
#include <memory>
#include <string>

namespace quintrel {

// What a save in the settings window tells the app, on the main thread: the title and the
// last error to show while it checks and when it fails, and the refresh once it stored.
struct SaveReports {
    std::function<void(const std::string& title)> showTitle;
    std::function<void(const std::string& error)> showError;
    std::function<void()> refresh;
};

// Owns one settings window for as long as it lives; closing the window only hides it.
class SettingsWindowController {
public:
    virtual ~SettingsWindowController() = default;
    // Shows the window, raises it above the others and gives it keyboard focus, as far
    // as the window manager allows.
    virtual void showWindow() = 0;
};

class SettingsWindows {
public:
    virtual ~SettingsWindows() = default;
    // A new window with its controls filled from the preferences; not yet shown.
    virtual std::unique_ptr<SettingsWindowController> makeSettingsWindow(SaveReports reports) = 0;
};

}  // namespace quintrel
