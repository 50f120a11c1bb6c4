#pragma once
// A main queue pumped by hand, with virtual time: the thread that makes it is "main".

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/MainQueue.h"

namespace quintrel::fakes {

class FakeMainQueue final : public MainQueue {
public:
    using Duration = std::chrono::milliseconds;

    bool isMainThread() const override { return std::this_thread::get_id() == mainThread_; }

    void async(std::function<void()> work) override {
        {
            std::lock_guard lock(mutex_);
            ready_.push_back(std::move(work));
        }
        arrived_.notify_all();
    }

    // As the real queue, drops a cancelled item, so pendingDelayed() sees a leftover one.
    void asyncAfter(Duration delay, std::shared_ptr<WorkItem> item) override {
        Key key{};
        {
            std::lock_guard lock(mutex_);
            key = Key{now_ + delay, sequence_++};
            delayed_.emplace(key, [item] { item->perform(); });
        }
        item->whenCancelled([this, key] {
            std::lock_guard lock(mutex_);
            delayed_.erase(key);
        });
    }

    std::unique_ptr<RepeatingTimer> scheduleRepeating(Duration interval,
                                                      std::function<void()> tick) override {
        auto timer = std::make_unique<Timer>(interval, std::move(tick));
        std::lock_guard lock(mutex_);
        armTimer(timer->state);
        return timer;
    }

    // Runs queued work, including work queued meanwhile, until none is left.
    // Returns how many items ran.
    int runPending() {
        int ran = 0;
        while (auto work = takeReady()) {
            (*work)();
            ++ran;
        }
        return ran;
    }

    // Moves virtual time forward, running due delayed work in deadline order and
    // everything it queues along the way.
    void advance(Duration span) {
        runPending();
        std::unique_lock lock(mutex_);
        const Duration end = now_ + span;
        while (!delayed_.empty() && delayed_.begin()->first.due <= end) {
            auto node = delayed_.extract(delayed_.begin());
            now_ = node.key().due;
            lock.unlock();
            node.mapped()();
            runPending();
            lock.lock();
        }
        now_ = end;
    }

    // Blocks until some other thread has queued work (or the time-out passes), then runs it.
    bool waitAndRun(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        {
            std::unique_lock lock(mutex_);
            if (!arrived_.wait_for(lock, timeout, [&] { return !ready_.empty(); })) {
                return false;
            }
        }
        runPending();
        return true;
    }

    Duration now() const {
        std::lock_guard lock(mutex_);
        return now_;
    }

    std::size_t pendingDelayed() const {
        std::lock_guard lock(mutex_);
        return delayed_.size();
    }

private:
    struct Key {
        Duration due;
        std::uint64_t sequence;
        bool operator<(const Key& other) const {
            return due != other.due ? due < other.due : sequence < other.sequence;
        }
    };
    struct TimerState {
        Duration interval;
        std::function<void()> tick;
        bool stopped = false;
    };
    struct Timer final : RepeatingTimer {
        Timer(Duration interval, std::function<void()> tick)
            : state(std::make_shared<TimerState>(TimerState{interval, std::move(tick)})) {}
        ~Timer() override { state->stopped = true; }
        std::shared_ptr<TimerState> state;
    };

    void armTimer(const std::shared_ptr<TimerState>& state) {
        std::weak_ptr<TimerState> weak = state;
        delayed_.emplace(Key{now_ + state->interval, sequence_++}, [this, weak] {
            const auto timer = weak.lock();
            if (!timer || timer->stopped) {
                return;
            }
            timer->tick();
            std::lock_guard lock(mutex_);
            if (!timer->stopped) {
                armTimer(timer);
            }
        });
    }

    std::optional<std::function<void()>> takeReady() {
        std::lock_guard lock(mutex_);
        if (ready_.empty()) {
            return std::nullopt;
        }
        auto work = std::move(ready_.front());
        ready_.pop_front();
        return work;
    }

    const std::thread::id mainThread_ = std::this_thread::get_id();
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::function<void()>> ready_;
    std::map<Key, std::function<void()>> delayed_;
    Duration now_{0};
    std::uint64_t sequence_ = 0;
};

}  // namespace quintrel::fakes
