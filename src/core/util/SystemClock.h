#pragma once
// The real wall clock and monotonic clock.

#include "platform/Clock.h"

namespace quintrel {

class SystemClock final : public Clock {
public:
    std::chrono::system_clock::time_point now() const override {
        return std::chrono::system_clock::now();
    }
    std::chrono::steady_clock::time_point monotonicNow() const override {
        return std::chrono::steady_clock::now();
    }
};

}  // namespace quintrel
