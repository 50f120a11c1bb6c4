// Saving the settings: the cleaning of the code, the validation request, each outcome's
// bus messages and what is stored.

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"
#include "settings/SaveFlow.h"

namespace quintrel {
namespace {

using Kind = ValidationOutcome::Kind;

class SaveFlow : public testing::Test {
protected:
    SaveFlow() {
        for (const char* name : {"com.quintrel.content", "com.quintrel.error", "com.quintrel.close",
                                 "com.quintrel.refresh"}) {
            observations_.push_back(fakes.bus.addObserver(name, [this](const BusMessage& m) {
                std::lock_guard lock(mutex_);
                const auto text = NotificationBus::contentText(m);
                messages_.push_back(m.name.substr(13) + (text ? ":" + *text : ""));
                onMain_ = onMain_ && fakes.mainQueue.isMainThread();
            }));
        }
    }

    SettingsServices services(std::string baseURL = fakes::kServiceURL) {
        return fakes.settingsServices(std::move(baseURL));
    }
    static SettingsSnapshot snapshot(std::string code, std::int64_t switches = 1,
                                     std::int64_t mode = 0) {
        return {std::move(code), switches, mode, switches, switches, switches};
    }
    void save(SettingsSnapshot s) { saveSettings(services(), std::move(s)); }

    std::vector<std::string> messages() {
        std::lock_guard lock(mutex_);
        return std::exchange(messages_, {});
    }
    bool storedNothing() const {
        for (const char* key : {prefs::apiCode, prefs::notify, prefs::mode, prefs::play,
                                prefs::keepAlive, prefs::mute}) {
            if (fakes.preferences.object(key)) {
                return false;
            }
        }
        return true;
    }
    std::string lastURL() const { return fakes.http.snapshot(fakes.http.count() - 1).url; }

    fakes::FakePlatform fakes;
    bool onMain_ = true;

private:
    std::mutex mutex_;
    std::vector<std::string> messages_;
    std::vector<NotificationBus::Observation> observations_;
};

TEST_F(SaveFlow, CleansTheCodeOfSpacesAndLineBreaksEverywhere) {
    const std::pair<std::string, std::string> cases[] = {
        {" abcd efgh\r\n", "abcdefgh"},
        {"ab\r\ncd\nef\rgh", "abcdefgh"},
        {"ab\tcd", "ab\tcd"},
        {"\tabcd\t", "abcd"},
        {"\xc2\xa0"
         "ab\xc2\xa0"
         "cd\xe3\x80\x80",
         "ab\xc2\xa0"
         "cd"},
        {" \r\n \n ", ""},
    };
    for (const auto& [typed, cleaned] : cases) {
        EXPECT_EQ(cleanedAPICode(typed), cleaned) << testing::PrintToString(typed);
    }
}

TEST_F(SaveFlow, AskTheServiceWithTheCleanedCode) {
    save(snapshot(cleanedAPICode(" ab cd\t12\n")));
    ASSERT_EQ(fakes.http.resumedURLs().size(), 1u);
    EXPECT_EQ(lastURL(), "https://quintrel.test/api/chrome.php?v=2&code=abcd%0912");
    EXPECT_EQ(messages(), std::vector<std::string>{"content:..."});
}

TEST_F(SaveFlow, AnEmptyCodeMakesNoRequest) {
    save(snapshot(cleanedAPICode(" \r\n  \n")));
    EXPECT_EQ(fakes.http.count(), 0u);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"content:Check API", "error:API code is required"}));
    EXPECT_TRUE(storedNothing());
}

TEST_F(SaveFlow, AnUnusableServiceAddressMakesNoRequest) {
    saveSettings(services("not a url"), snapshot("abc"));
    EXPECT_EQ(fakes.http.count(), 0u);
    EXPECT_EQ(messages(), (std::vector<std::string>{"content:...", "content:Check API",
                                                    "error:Unable to build API validation URL"}));
}

TEST_F(SaveFlow, EveryFailurePostsCheckAPIThenItsErrorAndStoresNothing) {
    const std::string page = "<html><head><title>502</title></head>" + std::string(400, 'x');
    const std::string decodeLine = "Quintrel API code validation reply could not be decoded: ";
    const std::string failedLine = "Quintrel API code validation failed: ";
    struct Case {
        HttpResult result;
        Kind kind;
        std::string error;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{std::nullopt, std::nullopt, "Could not connect to server"},
         Kind::noData,
         "Could not connect to server",
         {failedLine + "Could not connect to server"}},
        {{std::nullopt, 200, std::nullopt}, Kind::noData, "No data returned", {}},
        {{R"({"error":0})", 500, std::nullopt}, Kind::httpFailure, "API validation HTTP 500", {}},
        {{"", 404, "Not found"},
         Kind::httpFailure,
         "API validation HTTP 404",
         {failedLine + "Not found"}},
        {{"", 199, std::nullopt}, Kind::httpFailure, "API validation HTTP 199", {}},
        {{"", 300, std::nullopt}, Kind::httpFailure, "API validation HTTP 300", {}},
        {{"", 204, std::nullopt},
         Kind::unreadableReply,
         "Check API",
         {decodeLine + "the body is empty"}},
        {{page, 200, std::nullopt},
         Kind::unreadableReply,
         page.substr(0, 137) + "...",
         {decodeLine + "the body is not valid JSON"}},
        {{"[]", std::nullopt, std::nullopt},
         Kind::unreadableReply,
         "[]",
         {decodeLine + "the body is a JSON array, not an object"}},
        {{R"({"error":3})", 200, std::nullopt}, Kind::rejected, "3", {}},
        {{R"({"error":"Unknown code \n"})", 200, std::nullopt}, Kind::rejected, "Unknown code", {}},
        {{R"({"online":1,"pv":2})", 200, std::nullopt}, Kind::rejected, "Check API", {}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.error);
        const auto printedBefore = fakes.console.lines().size();
        save(snapshot("abc", 0, 1));
        fakes.http.complete(i, c.result);
        EXPECT_EQ(messages(), std::vector<std::string>{"content:..."});  // not yet: main queue
        fakes.mainQueue.runPending();
        EXPECT_EQ(messages(), (std::vector<std::string>{"content:Check API", "error:" + c.error}));
        const auto printed = fakes.console.lines();
        EXPECT_EQ(std::vector(printed.begin() + printedBefore, printed.end()), c.lines);
        EXPECT_EQ(validationOutcome(c.result, fakes.console).kind, c.kind);
        EXPECT_TRUE(storedNothing());
    }
}

TEST_F(SaveFlow, SuccessStoresTheSnapshotThenClosesThenRefreshes) {
    save({"code1", 0, 1, 1, 0, 1});
    messages();
    // A transport error alone does not decide: the body still counts.
    fakes.http.complete(0, {R"({"error":0})", 200, "interrupted"});
    fakes.mainQueue.runPending();
    EXPECT_EQ(messages(), (std::vector<std::string>{"close", "refresh"}));
    const auto& p = fakes.preferences;
    EXPECT_EQ(p.object(prefs::apiCode), nlohmann::json("code1"));
    EXPECT_EQ(p.object(prefs::notify), nlohmann::json(0));
    EXPECT_EQ(p.object(prefs::mode), nlohmann::json(1));
    EXPECT_EQ(p.object(prefs::play), nlohmann::json(1));
    EXPECT_EQ(p.object(prefs::keepAlive), nlohmann::json(0));
    EXPECT_EQ(p.object(prefs::mute), nlohmann::json(1));
    EXPECT_EQ(fakes.console.lines(),
              std::vector<std::string>{"Quintrel API code validation failed: interrupted"});
}

TEST_F(SaveFlow, TheRefreshSeesTheStoredValues) {
    std::string codeSeenByRefresh;
    auto observation = fakes.bus.addObserver("com.quintrel.refresh", [&](const BusMessage&) {
        codeSeenByRefresh = prefs::text(fakes.preferences, prefs::apiCode).value_or("");
    });
    save(snapshot("fresh"));
    fakes.http.succeed(0, R"({"online":0,"pv":0,"notify":0})");
    fakes.mainQueue.runPending();
    EXPECT_EQ(codeSeenByRefresh, "fresh");
}

TEST_F(SaveFlow, TwoChecksInFlightEachActOnTheirOwnSnapshot) {
    save(snapshot("first", 1, 0));
    save(snapshot("second", 0, 1));
    ASSERT_EQ(fakes.http.resumedURLs().size(), 2u);
    messages();

    fakes.http.succeed(1, R"({"error":0})");
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.preferences.object(prefs::apiCode), nlohmann::json("second"));

    // The later arrival wins, whichever was pressed first.
    fakes.http.succeed(0, R"({"error":0})");
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.preferences.object(prefs::apiCode), nlohmann::json("first"));
    EXPECT_EQ(fakes.preferences.object(prefs::mode), nlohmann::json(0));
    EXPECT_EQ(messages(), (std::vector<std::string>{"close", "refresh", "close", "refresh"}));
}

TEST_F(SaveFlow, AFailedCheckLeavesAnEarlierSaveAlone) {
    save(snapshot("good", 0, 1));
    save(snapshot("bad"));
    fakes.http.succeed(0, R"({"error":0})");
    fakes.http.succeed(1, R"({"error":3})");
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.preferences.object(prefs::apiCode), nlohmann::json("good"));
    EXPECT_EQ(fakes.preferences.object(prefs::notify), nlohmann::json(0));
}

TEST_F(SaveFlow, CompletionsFromOtherThreadsAreHandledOnTheMainThread) {
    save(snapshot("one"));
    save(snapshot("two"));
    messages();
    fakes.http.completeOnThread(0, {std::nullopt, std::nullopt, "offline"});
    fakes.http.completeOnThread(1, {R"({"error":0})", 200, std::nullopt});
    fakes.http.joinThreads();
    fakes.mainQueue.runPending();
    auto posted = messages();
    std::sort(posted.begin(), posted.end());
    EXPECT_EQ(posted,
              (std::vector<std::string>{"close", "content:Check API", "error:offline", "refresh"}));
    EXPECT_TRUE(onMain_);
    EXPECT_EQ(fakes.preferences.object(prefs::apiCode), nlohmann::json("two"));
}

}  // namespace
}  // namespace quintrel
