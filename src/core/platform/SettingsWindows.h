#pragma once
// Makes the settings window ("Quintrel Configuration") and brings it to the user.

#include <memory>

namespace quintrel {

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
    virtual std::unique_ptr<SettingsWindowController> makeSettingsWindow() = 0;
};

}  // namespace quintrel
