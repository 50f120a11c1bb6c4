#pragma once
// The main thread's work queue: where all application state is touched.

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

    virtual bool isMainThread() const = 0;

    // Runs `work` later on the main thread, after all work queued before it.
    // Callable from any thread; never runs `work` before returning.
    virtual void async(std::function<void()> work) = 0;

    // Performs `item` on the main thread once `delay` has passed on the monotonic clock.
    virtual void asyncAfter(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item) = 0;

    // Calls `tick` on the main thread every `interval`, first one interval from now.
    virtual std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds interval,
                                                              std::function<void()> tick) = 0;
};

}  // namespace quintrel
