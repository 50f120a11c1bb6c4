#include "desktop/system/QtMainQueue.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace quintrel {

namespace {

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
        timer_.start();
    }

private:
    QTimer timer_;
};

}  // namespace

QtMainQueue::QtMainQueue() {
    if (auto* app = QCoreApplication::instance()) {
        context_.moveToThread(app->thread());
    }
}

bool QtMainQueue::isMainThread() const {
    const auto* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void QtMainQueue::async(std::function<void()> work) {
    // A posted event, never a direct call, even from the main thread itself; posted
    // events to one object are delivered in the order they were posted.
    QMetaObject::invokeMethod(&context_, std::move(work), Qt::QueuedConnection);
}

void QtMainQueue::asyncAfter(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item) {
    auto arm = [this, delay, item = std::move(item)] {
        auto* timer = new QTimer(&context_);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(delay);
        QObject::connect(timer, &QTimer::timeout, &context_, [timer, item] {
            timer->deleteLater();
            item->perform();
        });
        // A cancelled item's timer goes at once: e.g. the refresh timeout, cancelled by
        // every reply, would otherwise still wake the idle app 30 s after each poll.
        item->whenCancelled([context = QPointer<QObject>(&context_), timer = QPointer(timer)] {
            if (context) {
                QMetaObject::invokeMethod(
                    context, [timer] { delete timer.data(); }, Qt::QueuedConnection);
            }
        });
        timer->start();
    };
    if (isMainThread()) {
        arm();
    } else {
        async(std::move(arm));
    }
}

std::unique_ptr<RepeatingTimer> QtMainQueue::scheduleRepeating(std::chrono::milliseconds interval,
                                                               std::function<void()> tick) {
    return std::make_unique<QtRepeatingTimer>(interval, std::move(tick));
}

}  // namespace quintrel
