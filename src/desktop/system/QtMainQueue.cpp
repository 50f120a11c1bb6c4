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

bool QtMainQueue::isMainThread() const {
    const auto* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void QtMainQueue::asyncAfter(std::chrono::milliseconds delay, std::shared_ptr<WorkItem> item) {
    auto* timer = new QTimer(&context_);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(delay);
    QObject::connect(timer, &QTimer::timeout, &context_, [timer, item] {
        timer->deleteLater();
        item->perform();
    });
    timer->start();
    // A cancelled item's timer goes at once: e.g. the refresh timeout, cancelled by
    // every reply, would otherwise still wake the idle app 30 s after each poll. Later,
    // not now: the item may be cancelled from inside this very timer's work.
    item->whenCancelled([timer = QPointer(timer)] {
        if (timer) {
            timer->stop();
            timer->deleteLater();
        }
    });
}

std::unique_ptr<RepeatingTimer> QtMainQueue::scheduleRepeating(std::chrono::milliseconds interval,
                                                               std::function<void()> tick) {
    return std::make_unique<QtRepeatingTimer>(interval, std::move(tick));
}

}  // namespace quintrel
