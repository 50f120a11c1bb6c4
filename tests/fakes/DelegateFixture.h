#pragma once
// A GoogleTest fixture: an AppDelegate on fakes, plus helpers to drive it and read what it
// did.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"

namespace quintrel::fakes {

class DelegateFixture : public testing::Test {
protected:
    void storeGoodCode() { fakes.preferences.set(prefs::apiCode, kGoodCode); }
    // Launches with no code stored (no poll starts, the settings window opens), forgets
    // what that showed, and stores `code`.
    void launch(std::string code = kGoodCode) {
        fakes.preferences.erase(prefs::apiCode);
        delegate->applicationDidFinishLaunching();
        fakes.statusBar.titles.clear();
        fakes.preferences.set(prefs::apiCode, code);
    }
    std::string title() const { return fakes.statusBar.title(); }
    const Status& status() const { return delegate->status(); }
    std::vector<std::string> lines() const { return fakes.console.lines(); }

    FakePlatform fakes;
    std::shared_ptr<AppDelegate> delegate = fakes.makeDelegate();
};

}  // namespace quintrel::fakes
