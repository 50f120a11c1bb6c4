// The settings window's logic: stored preferences as control states, and the save flow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"
#include "settings/SaveFlow.h"
#include "settings/SettingsControls.h"

namespace quintrel {
namespace {

using Lines = std::vector<std::string>;
using nlohmann::json;

TEST(SettingsControls, SwitchesShowOnlyOneAsOnAndTakeMistypedValuesAsMissing) {
    const std::pair<json, bool> switches[] = {
        {1, true},  {0, false},  {true, true}, {false, false},
        {2, false}, {1.0, true}, {1.5, true},  {"0", true},
    };
    for (const auto& [stored, on] : switches) {
        for (const char* key : {prefs::notify, prefs::play, prefs::keepAlive, prefs::mute}) {
            fakes::FakePreferences store;
            store.set(key, stored);
            const auto states = storedControlStates(store, 2);
            const bool shown = key == prefs::notify ? states.notify
                               : key == prefs::play ? states.play
                               : key == prefs::mute ? states.mute
                                                    : states.keepAlive;
            EXPECT_EQ(shown, on) << key << " = " << stored;
        }
    }
}

TEST(SettingsControls, AModeOutsideTheItemsSelectsTheFirstAndTheCodeIsShownAsStored) {
    fakes::FakePreferences store;
    const std::pair<json, std::int64_t> modes[] = {
        {2, 2}, {3, 0}, {-1, 0}, {4294967297, 0}, {true, 1}, {2.0, 2}, {1.5, 0}, {"1", 0},
    };
    for (const auto& [stored, index] : modes) {
        store.set(prefs::mode, stored);
        EXPECT_EQ(storedControlStates(store, 3).modeIndex, index) << stored;
    }
    store.set(prefs::apiCode, 12345);
    EXPECT_EQ(storedControlStates(store, 2).apiCode, "");
}

class SaveFlow : public testing::Test {
protected:
    // Every report in order: "content:<title>", "error:<text>", "close", "refresh".
    SaveTargets targets() {
        return {{[this](const std::string& t) { messages_.push_back("content:" + t); },
                 [this](const std::string& t) { messages_.push_back("error:" + t); },
                 [this] {
                     messages_.push_back("refresh");
                     codeSeenByRefresh = prefs::text(fakes.preferences, prefs::apiCode);
                 }},
                [this] {
                    messages_.push_back("close");
                }};
    }
    void save(std::string code, std::int64_t switches = 1, std::int64_t mode = 0,
              std::string serviceURL = fakes::kServiceURL) {
        saveSettings(fakes.settingsServices(std::move(serviceURL)),
                     {std::move(code), switches, mode, switches, switches, switches}, targets());
    }
    void answer(std::size_t index, std::string body) { fakes.http.succeed(index, std::move(body)); }
    Lines messages() { return std::exchange(messages_, {}); }
    // The code, notify, mode, play, keep-alive and mute as stored ("-" for none).
    std::string storedValues() const {
        std::string values;
        for (const char* key : {prefs::apiCode, prefs::notify, prefs::mode, prefs::play,
                                prefs::keepAlive, prefs::mute}) {
            const auto value = fakes.preferences.object(key);
            values += (values.empty() ? "" : " ") + (value ? value->dump() : "-");
        }
        return values;
    }

    fakes::FakePlatform fakes;
    std::optional<std::string> codeSeenByRefresh;

private:
    Lines messages_;
};

TEST_F(SaveFlow, CleansTheCodeOfSpacesAndLineBreaksEverywhere) {
    const std::pair<std::string, std::string> cases[] = {
        {" abcd efgh\r\n", "abcdefgh"},
        {"ab\r\ncd\nef\rgh", "abcdefgh"},
        {"ab\tcd", "ab\tcd"},
        {"\tabcd\t", "abcd"},
        {"\u00a0ab\u00a0cd\u3000", "ab\u00a0cd"},
        {" \r\n \n ", ""},
    };
    for (const auto& [typed, cleaned] : cases) {
        EXPECT_EQ(cleanedAPICode(typed), cleaned) << testing::PrintToString(typed);
    }
}

TEST_F(SaveFlow, AsksTheServiceWithTheCodeOrSaysWhyNot) {
    save("abcd");
    EXPECT_EQ(messages(), Lines{"content:..."});

    save("");
    EXPECT_EQ(messages(), (Lines{"content:Check API", "error:API code is required"}));
    save("abc", 1, 0, "not a url");
    EXPECT_EQ(messages(), (Lines{"content:...", "content:Check API",
                                 "error:Unable to build API validation URL"}));
    EXPECT_EQ(fakes.http.count(), 1u);
    EXPECT_EQ(storedValues(), "- - - - - -");
}

TEST_F(SaveFlow, EveryFailurePostsCheckAPIThenItsErrorAndStoresNothing) {
    const std::string page = "<html><head><title>502</title></head>" + std::string(400, 'x');
    const std::string decoding = "Quintrel API code validation reply could not be decoded: ";
    const std::string failed = "Quintrel API code validation failed: ";
    const auto none = std::nullopt;
    const struct {
        HttpResult result;
        std::string error;
        std::string printed;  // empty: nothing
    } cases[] = {
        {{none, none, "offline"}, "offline", failed + "offline"},
        {{none, 200, none}, "No data returned", ""},
        {{"", 404, "Not found"}, "API validation HTTP 404", failed + "Not found"},
        {{"", 199, none}, "API validation HTTP 199", ""},
        {{R"({"error":0})", 300, none}, "API validation HTTP 300", ""},  // whatever the body
        {{"", 204, none}, "Check API", decoding + "the body is empty"},
        {{page, 200, none}, page.substr(0, 137) + "...", decoding + "the body is not valid JSON"},
        {{R"({"error":3})", 200, none}, "3", ""},  // the validation response's table decides
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.error);
        save("abc", 0, 1);
        fakes.http.complete(i, c.result);
        EXPECT_EQ(messages(), (Lines{"content:...", "content:Check API", "error:" + c.error}));
        EXPECT_EQ(fakes.console.take(), c.printed.empty() ? Lines{} : Lines{c.printed});
        EXPECT_EQ(storedValues(), "- - - - - -");
    }
    // The code echoed back is masked from 8 characters on; a shorter one is a typo, shown.
    for (const auto& [code, error] :
         {std::pair{"abcdefgh", "error:*** is unknown"}, {"abcdefg", "error:abcdefg is unknown"}}) {
        save(code);
        answer(fakes.http.count() - 1, R"({"msg":")" + std::string(code) + R"( is unknown"})");
        EXPECT_EQ(messages().back(), error);
    }
}

TEST_F(SaveFlow, SuccessStoresTheSnapshotThenClosesThenRefreshes) {
    saveSettings(fakes.settingsServices(), {"code1", 0, 1, 1, 0, 1}, targets());
    messages();
    // A transport error alone does not decide: the body still counts.
    fakes.http.complete(0, {R"({"error":0})", 299, "interrupted"});
    EXPECT_EQ(messages(), (Lines{"close", "refresh"}));
    EXPECT_EQ(codeSeenByRefresh, "code1");
    EXPECT_EQ(storedValues(), R"("code1" 0 1 1 0 1)");
    EXPECT_EQ(fakes.console.lines(), Lines{"Quintrel API code validation failed: interrupted"});
}

TEST_F(SaveFlow, TwoChecksInFlightEachActOnTheirOwnSnapshot) {
    save("first", 1, 0);
    save("second", 0, 1);
    save("bad");
    ASSERT_TRUE(fakes.http.count() == 3 && fakes.http.resumed(2));
    messages();

    answer(1, R"({"error":0})");
    EXPECT_EQ(storedValues(), R"("second" 0 1 0 0 0)");
    // The later arrival wins, whichever was pressed first; a failed check changes nothing.
    answer(0, R"({"error":0})");
    answer(2, R"({"error":3})");
    EXPECT_EQ(storedValues(), R"("first" 1 0 1 1 1)");
    EXPECT_EQ(messages(),
              (Lines{"close", "refresh", "close", "refresh", "content:Check API", "error:3"}));
}

}  // namespace
}  // namespace quintrel
