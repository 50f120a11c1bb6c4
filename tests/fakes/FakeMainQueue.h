#pragma once
// The main thread's timers in virtual time, moved on by hand: the thread that makes it is
// "main".

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "platform/MainQueue.h"

namespace quintrel::fakes {

class FakeMainQueue final : public MainQueue {
public:
    using Duration = std::chrono::milliseconds;

    bool isMainThread() const override { return std::this_thread::get_id() == mainThread_; }

    // As the real queue, drops a cancelled item, so pendingDelayed() sees a leftover one.
    void asyncAfter(Duration delay, std::shared_ptr<WorkItem> item) override {
        const auto key = schedule(delay, [item] { item->perform(); });
        item->whenCancelled([this, key] { delayed_.erase(key); });
    }

    std::unique_ptr<RepeatingTimer> scheduleRepeating(Duration interval,
                                                      std::function<void()> tick) override {
        auto timer = std::make_unique<Timer>();
        arm(interval, std::move(tick), timer->alive);
        return timer;
    }

    // Moves virtual time forward, running due work in deadline order.
    void advance(Duration span) {
        const Duration end = now_ + span;
        while (!delayed_.empty() && delayed_.begin()->first.first <= end) {
            auto node = delayed_.extract(delayed_.begin());
            now_ = node.key().first;
            node.mapped()();
        }
        now_ = end;
    }

    // Virtual time since the queue was made.
    Duration now() const { return now_; }

    std::size_t pendingDelayed() const { return delayed_.size(); }

private:
    using Key = std::pair<Duration, std::uint64_t>;  // when due, then the order scheduled
    struct Timer final : RepeatingTimer {
        std::shared_ptr<int> alive = std::make_shared<int>();
    };

    Key schedule(Duration delay, std::function<void()> work) {
        const Key key{now_ + delay, sequence_++};
        delayed_.emplace(key, std::move(work));
        return key;
    }
    void arm(Duration interval, std::function<void()> tick, std::weak_ptr<int> alive) {
        schedule(interval, [this, interval, tick, alive] {
            if (!alive.expired()) {
                tick();
            }
            if (!alive.expired()) {
                arm(interval, tick, alive);
            }
        });
    }

    const std::thread::id mainThread_ = std::this_thread::get_id();
    std::map<Key, std::function<void()>> delayed_;
    Duration now_{0};
    std::uint64_t sequence_ = 0;
};

}  // namespace quintrel::fakes
