#pragma once
// The main thread's timers on the Qt event loop.

#include <QObject>

#include "platform/MainQueue.h"

namespace quintrel {

// Made, like everything that uses it, on the application's thread.
class QtMainQueue final : public MainQueue {
public:
    bool isMainThread() const override;
    void asyncAfter(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item) override;
    std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds interval,
                                                      std::function<void()> tick) override;

private:
    // The parent of the pending timers, which end with the queue.
    QObject context_;
};

}  // namespace quintrel
