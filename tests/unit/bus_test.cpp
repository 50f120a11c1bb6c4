#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "util/NotificationBus.h"

namespace quintrel {
namespace {

TEST(Bus, DeliversToEveryObserverOfTheNameOnThePostingThreadUntilRemoved) {
    NotificationBus bus;
    std::vector<std::string> seen;
    std::thread::id deliveredOn;
    std::optional a = bus.addObserver("com.quintrel.refresh", [&](const BusMessage& m) {
        seen.push_back("a:" + m.name);
        deliveredOn = std::this_thread::get_id();
    });
    // This one removes itself while being called.
    NotificationBus::Observation b;
    b = bus.addObserver("com.quintrel.refresh", [&](const BusMessage&) {
        seen.push_back("b");
        b.remove();
    });
    auto other =
        bus.addObserver("com.quintrel.close", [&](const BusMessage&) { seen.push_back("x"); });
    bus.post("com.quintrel.refresh");
    EXPECT_EQ(seen, (std::vector<std::string>{"a:com.quintrel.refresh", "b"}));
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
    a.reset();  // gone with its observation
    bus.post("com.quintrel.refresh");
    EXPECT_EQ(seen.size(), 2u);
}

TEST(Bus, ContentPayloadHasTwoLevels) {
    const BusMessage good{"n", NotificationBus::contentPayload("Check API")};
    EXPECT_EQ(NotificationBus::contentText(good), "Check API");

    const std::optional<nlohmann::json> ignored[] = {
        std::nullopt,
        nlohmann::json{{"content", "top level"}},
        nlohmann::json{{"userInfo", "not a dictionary"}},
        nlohmann::json{{"userInfo", {{"content", 5}}}},
        nlohmann::json{{"userInfo", {{"other", "x"}}}},
        nlohmann::json::array(),
    };
    for (const auto& userInfo : ignored) {
        EXPECT_EQ(NotificationBus::contentText({"n", userInfo}), std::nullopt);
    }
    EXPECT_EQ(NotificationBus::contentText({"n", NotificationBus::contentPayload("")}), "");
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
