#pragma once
// The main thread's timers: where all application state is touched.

#include <chrono>
#include <functional>
#include <memory>

#include "platform/WorkItem.h"

namespace quintrel {

// Stops its timer when destroyed.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
};

class MainQueue {
public:
    virtual ~MainQueue() = default;

    // Every completion arrives on the main thread; the logic checks that it does.
    virtual bool isMainThread() const = 0;

    // Performs `item` once `delay` has passed on the monotonic clock. Called on the main
    // thread, like everything else here.
    virtual void asyncAfter(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item) = 0;

    // Calls `tick` on the main thread every `interval`, first one interval from now.
    virtual std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds interval,
                                                              std::function<void()> tick) = 0;
};

}  // namespace quintrel
