#pragma once
// The desktop's screen-lock and unlock events.

#include <functional>

namespace quintrel {

class ScreenLockEvents {
public:
    virtual ~ScreenLockEvents() = default;
    // Handlers run on the main thread for as long as the process lives.
    virtual void observe(std::function<void()> locked, std::function<void()> unlocked) = 0;
};

}  // namespace quintrel
