// QtMainQueue on a real event loop; its repeating timer is every end-to-end test's poll.

#include <QtTest>

#include "desktop/system/QtMainQueue.h"

using quintrel::QtMainQueue;
using quintrel::WorkItem;

class MainQueueTest : public QObject {
    Q_OBJECT

private slots:
    // Delayed work runs once per queueing; a cancelled item is let go of at once (so never
    // runs), not when its time would have come: nothing stays armed for it.
    void delayedWorkRunsOnceEachTimeAndCancelledWorkIsReleasedAtOnce() {
        using namespace std::chrono_literals;
        QtMainQueue queue;
        QVERIFY(queue.isMainThread());
        int kept = 0;
        const auto keep = std::make_shared<WorkItem>([&] { ++kept; });
        auto later = std::make_shared<WorkItem>([] {});
        queue.asyncAfter(20ms, keep);
        queue.asyncAfter(5ms, keep);
        queue.asyncAfter(1h, later);
        queue.asyncAfter(1h, later);
        QTRY_COMPARE_WITH_TIMEOUT(kept, 2, 10000);
        QTest::qWait(100);
        QCOMPARE(kept, 2);
        QCOMPARE(later.use_count(), 3L);
        later->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(later.use_count(), 1L, 10000);
        auto cancelled = std::make_shared<WorkItem>([] {});
        cancelled->cancel();
        queue.asyncAfter(1h, cancelled);
        QTRY_COMPARE_WITH_TIMEOUT(cancelled.use_count(), 1L, 10000);
        // An item that cancels itself as it runs.
        std::shared_ptr<WorkItem> self;
        self = std::make_shared<WorkItem>([&] { self->cancel(); });
        queue.asyncAfter(1ms, self);
        QTRY_COMPARE_WITH_TIMEOUT(self.use_count(), 1L, 10000);
    }

    void delayedWorkQueuedBeforeTheQueueGoesIsDropped() {
        bool ran = false;
        {
            QtMainQueue queue;
            queue.asyncAfter(std::chrono::milliseconds(1),
                             std::make_shared<WorkItem>([&] { ran = true; }));
        }
        QTest::qWait(50);
        QVERIFY(!ran);
    }
};

QTEST_GUILESS_MAIN(MainQueueTest)
#include "main_queue_test.moc"
