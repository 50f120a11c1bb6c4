#pragma once
// A GoogleTest fixture: an AppDelegate on fakes, and helpers to drive and read it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"

namespace quintrel::fakes {

class DelegateFixture : public testing::Test {
protected:
    void storeGoodCode() { fakes.preferences.set(prefs::apiCode, kGoodCode); }
    // Launches with no code (no poll; the settings window opens), forgets it, stores `code`.
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
