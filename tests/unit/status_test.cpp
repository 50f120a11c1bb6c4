// The status model, the one thing the tray, the popup, the bus and --watch follow.

#include <thread>

#include "fakes/DelegateFixture.h"
#include "util/Text.h"

namespace quintrel {
namespace {

using Lines = std::vector<std::string>;

Status titled(std::string title, std::optional<std::uint64_t> count = std::nullopt) {
    Status status;
    status.title = std::move(title);
    status.count = count;
    return status;
}

TEST(StatusModel, TellsEachObserverOfEveryChangeInOrderUntilItsSubscriptionEnds) {
    StatusModel model;
    Lines seen;
    auto first = model.observe([&](const Status& s) { seen.push_back("1:" + s.title); });
    StatusModel::Subscription second;
    second = model.observe([&](const Status& s) {
        seen.push_back("2:" + s.title);
        second = {};  // ends itself while being told
    });
    model.update(titled("a"));
    model.update(titled("a"));  // no change, no news
    model.update(titled("b", 7));
    EXPECT_EQ(seen, (Lines{"1:a", "2:a", "1:b"}));
    EXPECT_EQ(model.current().count, 7u);
    first = {};
    model.update(titled("c"));
    EXPECT_EQ(seen.size(), 3u);
    // A subscription may outlive its model.
    auto late = std::make_unique<StatusModel>();
    auto kept = late->observe([](const Status&) {});
    late.reset();
}

class StatusOfTheApp : public fakes::DelegateFixture {
protected:
    void SetUp() override {
        launch();
        subscription = delegate->observeStatus([this](const Status& s) { seen.push_back(s); });
    }
    void poll(const std::string& body) {
        delegate->quintrel_refresh_action();
        fakes.http.succeed(fakes.http.count() - 1, body);
    }
    std::vector<Status> seen;
    StatusModel::Subscription subscription;
};

TEST_F(StatusOfTheApp, ThePollsCountTravelsAsANumberToTheTrayAndTheObservers) {
    const struct {
        nlohmann::json mode;
        std::string body;
        std::string title;
        std::optional<std::uint64_t> count;
    } cases[] = {
        {0, R"({"online":15027,"pv":3,"notify":0})", "15027", 15027},
        {1, R"({"online":1,"pv":18446744073709551,"notify":0})", "18446744073709551",
         18446744073709551u},
        {0, R"({"online":-5,"pv":3,"notify":0})", "-5", std::nullopt},
        {0, R"({"online":0,"pv":3,"notify":0})", "0", 0},
    };
    for (const auto& c : cases) {
        fakes.preferences.set(prefs::mode, c.mode);
        poll(c.body);
        EXPECT_EQ(status().title, c.title);
        EXPECT_EQ(status().count, c.count) << c.title;
        EXPECT_EQ(fakes.statusBar.lastItem->count, c.count) << c.title;
        EXPECT_EQ(seen.back(), status());
    }
    // Words carry no count.
    delegate->quintrel_refresh_action();
    fakes.http.complete(fakes.http.count() - 1, {std::nullopt, 500, std::nullopt});
    EXPECT_EQ(status().title, "Quintrel");
    EXPECT_EQ(status().count, std::nullopt);
}

TEST_F(StatusOfTheApp, ObserversHearOfEachChangeOnceAndTheTrayOfEachNewTitle) {
    poll(R"({"online":4,"pv":3,"notify":0})");
    ASSERT_EQ(seen.size(), 3u);  // checking, the count, checked
    EXPECT_TRUE(seen[0].refreshing && seen[0].lastChecked == "Checking..." &&
                seen[0].title == "Quintrel");
    EXPECT_EQ(seen[1].title, "4");
    EXPECT_FALSE(seen[2].refreshing);
    EXPECT_EQ(seen[2].lastChecked, text::localDateTime(fakes.clock.wall));
    poll(R"({"online":4,"pv":3,"notify":0})");
    EXPECT_EQ(seen.size(), 5u);  // the same count and time again: checking, checked
    EXPECT_EQ(fakes.statusBar.titles, Lines{"4"});
}

// A save in the settings window reports through typed calls: title, error, refresh.
TEST_F(StatusOfTheApp, WhatASaveReportsReachesTheStatusMaskedAndOnOneLine) {
    const SaveReports& save = fakes.settingsWindows.reports;
    save.showTitle("Check API");
    save.showError(std::string("bad ") + fakes::kGoodCode + "\nline two\r");
    EXPECT_EQ(status().title, "Check API");
    EXPECT_EQ(status().lastError, "bad *** line two ");
    save.showError(std::string(73, 'x'));
    EXPECT_EQ(status().lastError, std::string(69, 'x') + "...");
    EXPECT_EQ(title(), "Check API");
    save.refresh();
    EXPECT_EQ(fakes.http.count(), 1u);
    EXPECT_TRUE(status().refreshing);
}

TEST_F(StatusOfTheApp, ACompletionOffTheMainThreadEndsTheProcess) {
    delegate->quintrel_refresh_action();
    EXPECT_DEATH(std::thread([&] { fakes.http.succeed(0, "{}"); }).join(), "");
}

}  // namespace
}  // namespace quintrel
