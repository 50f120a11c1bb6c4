// Completions and bus messages from real background threads. Built and run under
// ThreadSanitizer too: every field must stay on the main (test) thread.

#include <thread>

#include "fakes/DelegateFixture.h"

namespace quintrel {
namespace {

using namespace std::chrono_literals;

class Threads : public fakes::DelegateFixture {
protected:
    void SetUp() override {
        storeGoodCode();
        delegate->statusItem = fakes.statusBar.makeStatusItem();
    }
    // Pumps the main queue until `done` holds, as the event loop would.
    template <typename Done>
    void pumpUntil(Done done) {
        for (int i = 0; i < 1000 && !done(); ++i) {
            fakes.mainQueue.waitAndRun(10ms);
        }
        ASSERT_TRUE(done());
    }
};

TEST_F(Threads, ACompletionFromAWorkerThreadEndsTheRefreshOnTheMainThread) {
    delegate->quintrel_refresh_action();
    fakes.http.completeOnThread(0, {R"({"online":42,"pv":1,"notify":0})", 200, std::nullopt});
    pumpUntil([&] { return !delegate->isRefreshing; });
    fakes.http.joinThreads();
    EXPECT_EQ(title(), "42");
    EXPECT_EQ(delegate->lastErrorMessage, "None");
}

TEST_F(Threads, AFailureSetsTheTitleBeforeTheRefreshEnds) {
    delegate->quintrel_refresh_action();
    fakes.http.completeOnThread(0, {std::nullopt, 502, std::nullopt});
    fakes.http.joinThreads();
    // Nothing has touched main-thread state yet: the worker only queued work.
    EXPECT_TRUE(delegate->isRefreshing);
    EXPECT_TRUE(fakes.statusBar.titles.empty());
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.statusBar.titles, std::vector<std::string>{"Quintrel"});
    EXPECT_EQ(delegate->lastErrorMessage, "HTTP 502");
}

TEST_F(Threads, ManyStaleCompletionsAtOnceChangeNothing) {
    constexpr int kRefreshes = 20;
    for (int i = 0; i < kRefreshes; ++i) {
        delegate->quintrel_refresh_action();
        fakes.mainQueue.advance(30s);  // each one times out
    }
    delegate->quintrel_refresh_action();  // the open one
    const auto openID = delegate->currentRefreshID;
    for (int i = 0; i < kRefreshes; ++i) {
        fakes.http.completeOnThread(
            static_cast<std::size_t>(i),
            i % 2 ? HttpResult{R"({"online":1,"pv":1,"notify":0})", 200, std::nullopt}
                  : HttpResult{std::nullopt, std::nullopt, "cancelled"});
    }
    fakes.http.joinThreads();
    fakes.mainQueue.runPending();
    EXPECT_EQ(delegate->currentRefreshID, openID);
    EXPECT_TRUE(delegate->isRefreshing);
    EXPECT_EQ(fakes.console.count("Ignoring stale Quintrel refresh result"), kRefreshes / 2);
    EXPECT_EQ(fakes.console.count("Ignoring stale Quintrel refresh completion"), kRefreshes / 2);
}

TEST_F(Threads, BusMessagesFromAnotherThreadAreAppliedOnTheMainThreadInOrder) {
    delegate->applicationDidFinishLaunching();
    fakes.mainQueue.runPending();
    fakes.statusBar.titles.clear();
    std::thread poster([&] {
        fakes.bus.post("com.quintrel.content", NotificationBus::contentPayload("first"));
        fakes.bus.post("com.quintrel.content", NotificationBus::contentPayload("second"));
        fakes.bus.post("com.quintrel.error",
                       NotificationBus::contentPayload("API code is required"));
        fakes.bus.post("com.quintrel.refresh");
    });
    poster.join();
    EXPECT_TRUE(fakes.statusBar.titles.empty());
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.statusBar.titles, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(delegate->lastErrorMessage, "API code is required");
    // The start-up refresh is still open, so the bus refresh was skipped.
    EXPECT_EQ(fakes.console.count(
                  "Skipping Quintrel refresh because the previous refresh is still running"),
              1);
}

TEST_F(Threads, TheSettingsWindowOpensOnTheMainThread) {
    std::thread([&] { delegate->settingView(); }).join();
    EXPECT_EQ(fakes.settingsWindows.made, 0);
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.settingsWindows.shown, 1);
}

TEST_F(Threads, QueuedWorkKeepsTheDelegateAliveUntilItRuns) {
    std::weak_ptr<AppDelegate> weak = delegate;
    std::thread poster([d = delegate] { d->changeStatusBarButton("late"); });
    poster.join();
    delegate.reset();
    EXPECT_FALSE(weak.expired());
    fakes.mainQueue.runPending();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(title(), "late");
}

}  // namespace
}  // namespace quintrel
