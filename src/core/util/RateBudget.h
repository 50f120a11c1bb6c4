#pragma once
// At most a number of events in any window of time: what stays of a flood a page or a
// caller can start. The caller gives the time, so tests need no clock.

#include <chrono>
#include <cstddef>
#include <deque>

namespace quintrel {

class RateBudget {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    RateBudget(std::size_t count, std::chrono::steady_clock::duration window)
        : count_(count), window_(window) {}

    // Whether one more event fits at `now`; one that fits is counted.
    bool take(TimePoint now) {
        while (!taken_.empty() && now - taken_.front() >= window_) {
            taken_.pop_front();
        }
        if (taken_.size() >= count_) {
            return false;
        }
        taken_.push_back(now);
        return true;
    }

private:
    const std::size_t count_;
    const std::chrono::steady_clock::duration window_;
    std::deque<TimePoint> taken_;
};

}  // namespace quintrel
