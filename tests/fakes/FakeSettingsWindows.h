#pragma once
// Counts the settings windows made and every time one is shown.

#include <memory>

#include "platform/SettingsWindows.h"

namespace quintrel::fakes {

class FakeSettingsWindows final : public SettingsWindows {
public:
    std::unique_ptr<SettingsWindowController> makeSettingsWindow() override {
        ++made;
        return std::make_unique<Window>(shown);
    }
    int made = 0;
    int shown = 0;

private:
    struct Window final : SettingsWindowController {
        explicit Window(int& shown) : shown(shown) {}
        void showWindow() override { ++shown; }
        int& shown;
    };
};

}  // namespace quintrel::fakes
