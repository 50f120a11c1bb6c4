// Completions and bus messages from real background threads, and the bus itself. Built
// and run under ThreadSanitizer too: every field must stay on the main (test) thread.

#include <atomic>
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
};

TEST_F(Threads, ACompletionFromAWorkerThreadEndsTheRefreshOnTheMainThread) {
    delegate->quintrel_refresh_action();
    fakes.http.completeOnThread(0, {std::nullopt, 502, std::nullopt});
    fakes.http.joinThreads();
    // Nothing has touched main-thread state yet: the worker only queued work.
    EXPECT_TRUE(delegate->isRefreshing);
    EXPECT_TRUE(fakes.statusBar.titles.empty());
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.statusBar.titles, std::vector<std::string>{"Quintrel"});
    EXPECT_EQ(delegate->lastErrorMessage, "HTTP 502");

    delegate->quintrel_refresh_action();
    fakes.http.completeOnThread(1, {R"({"online":42,"pv":1,"notify":0})", 200, std::nullopt});
    // Pumped as the event loop would, while the worker runs.
    for (int i = 0; i < 10000 && delegate->isRefreshing; ++i) {
        std::this_thread::sleep_for(1ms);
        fakes.mainQueue.runPending();
    }
    fakes.http.joinThreads();
    EXPECT_EQ(title(), "42");
    EXPECT_EQ(delegate->lastErrorMessage, "None");
}

TEST_F(Threads, ManyStaleCompletionsAtOnceChangeNothing) {
    constexpr std::size_t kRefreshes = 20;
    for (std::size_t i = 0; i < kRefreshes; ++i) {
        delegate->quintrel_refresh_action();
        fakes.mainQueue.advance(30s);  // each one times out
    }
    delegate->quintrel_refresh_action();  // the open one
    const auto openID = delegate->currentRefreshID;
    for (std::size_t i = 0; i < kRefreshes; ++i) {
        fakes.http.completeOnThread(
            i, i % 2 ? HttpResult{R"({"online":1,"pv":1,"notify":0})", 200, std::nullopt}
                     : HttpResult{std::nullopt, std::nullopt, "cancelled"});
    }
    fakes.http.joinThreads();
    fakes.mainQueue.runPending();
    EXPECT_EQ(delegate->currentRefreshID, openID);
    EXPECT_TRUE(delegate->isRefreshing);
    EXPECT_EQ(fakes.console.count("Ignoring stale Quintrel refresh result"), 10);
    EXPECT_EQ(fakes.console.count("Ignoring stale Quintrel refresh completion"), 10);
}

TEST_F(Threads, BusMessagesFromAnotherThreadAreAppliedOnTheMainThreadInOrder) {
    delegate->applicationDidFinishLaunching();
    fakes.mainQueue.runPending();
    fakes.statusBar.titles.clear();
    std::thread poster([&] {
        fakes.bus.post(busMessage::content, NotificationBus::contentPayload("first"));
        fakes.bus.post(busMessage::content, NotificationBus::contentPayload("second"));
        fakes.bus.post(busMessage::error, NotificationBus::contentPayload("API code is required"));
    });
    poster.join();
    EXPECT_TRUE(fakes.statusBar.titles.empty());
    fakes.mainQueue.runPending();
    EXPECT_EQ(fakes.statusBar.titles, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(delegate->lastErrorMessage, "API code is required");
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

TEST(Bus, DeliversToEveryObserverOfTheNameOnThePostingThreadUntilRemoved) {
    NotificationBus bus;
    std::vector<std::string> seen;
    std::thread::id deliveredOn;
    std::optional a = bus.addObserver("n", [&](const BusMessage& m) {
        seen.push_back("a:" + m.name);
        deliveredOn = std::this_thread::get_id();
    });
    // This one removes itself while being called.
    NotificationBus::Observation b;
    b = bus.addObserver("n", [&](const BusMessage&) {
        seen.push_back("b");
        b.remove();
    });
    auto other = bus.addObserver("other", [&](const BusMessage&) { seen.push_back("x"); });
    bus.post("n");
    EXPECT_EQ(seen, (std::vector<std::string>{"a:n", "b"}));
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
    a.reset();  // gone with its observation
    bus.post("n");
    EXPECT_EQ(seen.size(), 2u);
}

// Observers come and go on one thread while two others post; once removal returns
// the observer must never run again (it would touch freed state).
TEST(Bus, ObserversComeAndGoWhileOtherThreadsPost) {
    NotificationBus bus;
    std::atomic<bool> stop{false};
    std::atomic<int> delivered{0};
    std::vector<std::thread> posters;
    for (int i = 0; i < 2; ++i) {
        posters.emplace_back([&] {
            while (!stop) {
                bus.post("n", nlohmann::json{{"k", 1}});
            }
        });
    }
    for (int round = 0; round < 2000; ++round) {
        auto alive = std::make_unique<int>(round);
        auto observation = bus.addObserver(
            "n",
            [&delivered, value = alive.get()](const BusMessage&) { delivered += (*value >= 0); });
        std::this_thread::yield();
        observation.remove();
        alive.reset();
    }
    stop = true;
    for (auto& t : posters) {
        t.join();
    }
    SUCCEED() << delivered << " deliveries";
}

}  // namespace
}  // namespace quintrel
