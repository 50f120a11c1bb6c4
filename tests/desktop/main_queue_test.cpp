// QtMainQueue on a real event loop; its repeating timer is every end-to-end test's poll.

#include <thread>

#include <QtTest>

#include "desktop/system/QtMainQueue.h"

using quintrel::QtMainQueue;
using quintrel::WorkItem;

class MainQueueTest : public QObject {
    Q_OBJECT

private slots:
    void asyncRunsLaterInOrderFromAnyThread() {
        QtMainQueue queue;
        QVERIFY(queue.isMainThread());
        std::vector<int> order;
        bool allOnMain = true;
        const auto record = [&](int n) {
            return [&, n] {
                allOnMain = allOnMain && queue.isMainThread();
                order.push_back(n);
            };
        };
        queue.async(record(1));
        // Work queued from inside queued work still runs after what was queued before.
        queue.async([&] {
            record(2)();
            queue.async(record(5));
        });
        bool backgroundIsMain = true;
        std::thread([&] {
            backgroundIsMain = queue.isMainThread();
            queue.async(record(3));
            queue.async(record(4));
        }).join();
        QVERIFY(order.empty());  // nothing ran inside async()
        QTRY_COMPARE_WITH_TIMEOUT(order.size(), size_t(5), 10000);
        QCOMPARE(order, (std::vector<int>{1, 2, 3, 4, 5}));
        QVERIFY(allOnMain);
        QVERIFY(!backgroundIsMain);
    }

    // Delayed work runs once per queueing, from any thread; a cancelled item is let go of at
    // once (so never runs), not when its time would have come: nothing stays armed for it.
    void delayedWorkRunsOnceEachTimeAndCancelledWorkIsReleasedAtOnce() {
        using namespace std::chrono_literals;
        QtMainQueue queue;
        int kept = 0;
        const auto keep = std::make_shared<WorkItem>([&] { ++kept; });
        auto later = std::make_shared<WorkItem>([] {});
        queue.asyncAfter(20ms, keep);
        queue.asyncAfter(1h, later);
        std::thread([&] {
            queue.asyncAfter(5ms, keep);
            queue.asyncAfter(1h, later);
        }).join();
        QTRY_COMPARE_WITH_TIMEOUT(kept, 2, 10000);
        QTest::qWait(100);
        QCOMPARE(kept, 2);
        QTRY_COMPARE_WITH_TIMEOUT(later.use_count(), 3L, 10000);
        later->cancel();
        QTRY_COMPARE_WITH_TIMEOUT(later.use_count(), 1L, 10000);
        auto cancelled = std::make_shared<WorkItem>([] {});
        cancelled->cancel();
        queue.asyncAfter(1h, cancelled);
        QTRY_COMPARE_WITH_TIMEOUT(cancelled.use_count(), 1L, 10000);
    }

    void workQueuedBeforeTheQueueGoesIsDropped() {
        bool ran = false;
        {
            QtMainQueue queue;
            queue.async([&] { ran = true; });
        }
        QTest::qWait(50);
        QVERIFY(!ran);
    }
};

QTEST_GUILESS_MAIN(MainQueueTest)
#include "main_queue_test.moc"
