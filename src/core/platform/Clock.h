#pragma once
// Wall-clock and monotonic time, behind an interface so tests control both.

#include <chrono>

namespace quintrel {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point now() const = 0;
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;
};

}  // namespace quintrel
