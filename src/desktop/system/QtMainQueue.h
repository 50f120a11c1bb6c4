#pragma once
// The main queue on the Qt event loop of the application's thread.

#include <QObject>

#include "platform/MainQueue.h"

namespace quintrel {

class QtMainQueue final : public MainQueue {
public:
    // Made on the application's thread once the Q(Gui)Application exists.
    QtMainQueue();

    bool isMainThread() const override;
    void async(std::function<void()> work) override;
    void asyncAfter(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item) override;
    std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds interval,
                                                      std::function<void()> tick) override;

private:
    // Queued work is delivered to this object, so it ends with the queue.
    QObject context_;
};

}  // namespace quintrel
