#pragma once
// A GoogleTest fixture: an AppDelegate on fakes, plus helpers to read what it did.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"

namespace quintrel::fakes {

class DelegateFixture : public testing::Test {
protected:
    void storeGoodCode() { fakes.preferences.set(prefs::apiCode, kGoodCode); }
    std::string title() const { return fakes.statusBar.title(); }
    std::vector<std::string> lines() const { return fakes.console.lines(); }

    FakePlatform fakes;
    std::shared_ptr<AppDelegate> delegate = fakes.makeDelegate();
};

}  // namespace quintrel::fakes
