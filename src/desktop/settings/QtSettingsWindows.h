#pragma once
// The desktop's settings window: a ViewController in a fixed-size top-level window.

#include <functional>

#include "platform/SettingsWindows.h"
#include "settings/SaveFlow.h"

namespace quintrel {

class QtSettingsWindows final : public SettingsWindows {
public:
    // `playStartupSound` is handed to every window made, to play as it is made.
    QtSettingsWindows(SettingsServices services, std::function<void()> playStartupSound);

    std::unique_ptr<SettingsWindowController> makeSettingsWindow() override;

private:
    SettingsServices services_;
    std::function<void()> playStartupSound_;
};

}  // namespace quintrel
