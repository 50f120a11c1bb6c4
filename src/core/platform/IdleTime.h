#pragma once
// Seconds since the user's last input anywhere on the desktop.

#include <chrono>

namespace quintrel {

class IdleTime {
public:
    virtual ~IdleTime() = default;
    // 0 when no source can tell.
    virtual double secondsSinceLastInput() = 0;
    // The poll asks every `interval`; a reader that measures ahead may time itself by it.
    virtual void expectAskEvery(std::chrono::milliseconds interval) = 0;
};

}  // namespace quintrel
