#pragma once
// Makes the desktop's settings window: a SettingsWindow as a fixed-size top-level window.

#include <functional>

#include "platform/SettingsWindows.h"
#include "settings/SaveFlow.h"

namespace quintrel {

class SettingsWindowFactory final : public SettingsWindows {
public:
    // `playStartupSound` is handed to every window made, to play as it is made.
    SettingsWindowFactory(SettingsServices services, std::function<void()> playStartupSound);

    std::unique_ptr<SettingsWindowController> makeSettingsWindow(SaveReports reports) override;

private:
    SettingsServices services_;
    std::function<void()> playStartupSound_;
};

}  // namespace quintrel
