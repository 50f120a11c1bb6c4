#pragma once
// A GoogleTest fixture: an AppDelegate on fakes, plus helpers to read what it did.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"

namespace quintrel::fakes {

using QueryItems = std::vector<std::pair<std::string, std::string>>;

// The query of `url` as (name, raw value) pairs, in order.
inline QueryItems queryItems(const std::string& url) {
    QueryItems items;
    const auto question = url.find('?');
    if (question == std::string::npos) {
        return items;
    }
    std::size_t start = question + 1;
    while (start <= url.size()) {
        const auto end = std::min(url.find('&', start), url.size());
        const auto pair = url.substr(start, end - start);
        const auto equals = pair.find('=');
        items.emplace_back(pair.substr(0, equals),
                           equals == std::string::npos ? "" : pair.substr(equals + 1));
        start = end + 1;
    }
    return items;
}

inline std::string queryValue(const std::string& url, const std::string& name) {
    for (const auto& [key, value] : queryItems(url)) {
        if (key == name) {
            return value;
        }
    }
    return "<absent>";
}

class DelegateFixture : public testing::Test {
protected:
    void storeGoodCode() { fakes.preferences.set(prefs::apiCode, kGoodCode); }
    std::string title() const { return fakes.statusBar.title(); }
    std::vector<std::string> lines() const { return fakes.console.lines(); }

    FakePlatform fakes;
    std::shared_ptr<AppDelegate> delegate = fakes.makeDelegate();
};

}  // namespace quintrel::fakes
