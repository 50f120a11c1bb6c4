// Idle seconds and screen-lock events from fake desktop services on a private session bus.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QThread>
#include <QtTest>

#include "FakeScreenSaver.h"
#include "desktop/system/DesktopIdleTime.h"
#include "desktop/system/DesktopScreenLock.h"

using quintrel::DesktopIdleTime;
using quintrel::DesktopScreenLock;

// GNOME's idle monitor, answering in milliseconds.
class FakeMutter : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Mutter.IdleMonitor")
public slots:
    Q_SCRIPTABLE qulonglong GetIdletime() { return 61500; }
};

class DesktopEventsTest : public QObject {
    Q_OBJECT

    // The fake services answer on this thread: a blocking query would never get an answer.
    QDBusConnection services_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "services");
    FakeMutter mutter_;
    FakeScreenSaver screenSaver_{services_, 7};

    void publish(QObject* object, const QString& service, const QString& path) {
        QVERIFY(services_.registerObject(path, object, QDBusConnection::ExportScriptableSlots));
        QVERIFY(services_.registerService(service));
    }
    void withdraw(const QString& service, const QString& path) {
        services_.unregisterService(service);
        services_.unregisterObject(path);
    }

    static void emitActiveChanged(QDBusConnection& from, const QString& path,
                                  const QString& interface, bool active) {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, "ActiveChanged");
        signal << active;
        QVERIFY(from.send(signal));
    }

    // The answer to a question asked now, after any earlier one has had its answer.
    static double settled(DesktopIdleTime& idle) {
        const auto answered = [&] {
            return QTest::qWaitFor([&] { return !idle.asking(); }, 10000);
        };
        if (!answered()) {
            return -1;
        }
        idle.refresh();
        return answered() ? idle.secondsSinceLastInput() : -1;
    }

private slots:
    void initTestCase() { QVERIFY(services_.isConnected()); }

    void idleTimeFallsBackThroughItsSources() {
        DesktopIdleTime idle;
        // No service and no X display (offscreen): nobody can tell.
        QCOMPARE(settled(idle), 0.0);
        QCOMPARE(idle.source(), DesktopIdleTime::Source::none);

        publish(&screenSaver_, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
        QCOMPARE(settled(idle), 7.0);
        QCOMPARE(idle.source(), DesktopIdleTime::Source::screenSaver);

        publish(&mutter_, "org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core");
        // The source that answered stays in use while it answers...
        QCOMPARE(settled(idle), 7.0);
        withdraw("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
        // ...and the first one in line takes over when it stops.
        QCOMPARE(settled(idle), 61.5);
        QCOMPARE(idle.source(), DesktopIdleTime::Source::mutter);
        withdraw("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core");
    }

    // Asked at each poll and just before the next is due; between, nobody.
    void idleTimeIsAskedAtEachPollAndJustBeforeTheNext() {
        publish(&screenSaver_, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
        DesktopIdleTime idle;
        idle.askInterval = std::chrono::milliseconds(1500);
        QVERIFY(QTest::qWaitFor([&] { return !idle.asking(); }, 10000));
        const int before = screenSaver_.calls;
        idle.secondsSinceLastInput();
        QTRY_COMPARE_WITH_TIMEOUT(screenSaver_.calls, before + 2, 10000);
        QTest::qWait(3000);
        QCOMPARE(screenSaver_.calls, before + 2);
        withdraw("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
    }

    void screenSaversLockAndUnlock() {
        DesktopScreenLock screenLock;
        std::vector<std::string> events;
        bool onMainThread = true;
        const auto record = [&](std::string event) {
            return [&, event] {
                onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
                events.push_back(event);
            };
        };
        QVERIFY(services_.registerService("org.freedesktop.ScreenSaver"));
        QVERIFY(services_.registerService("org.gnome.ScreenSaver"));
        screenLock.observe(record("locked"), record("unlocked"));

        // Anyone else on the bus may send the same signals: they change nothing.
        QDBusConnection stranger =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stranger");
        emitActiveChanged(stranger, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", true);
        // From the owners of the names, on any path they use.
        emitActiveChanged(services_, "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
                          true);
        emitActiveChanged(services_, "/ScreenSaver", "org.freedesktop.ScreenSaver", false);
        emitActiveChanged(services_, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", true);
        emitActiveChanged(services_, "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", false);
        // Another interface's signal of the same name is not a lock.
        emitActiveChanged(services_, "/org/example", "org.example.Other", true);
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), size_t(4), 10000);
        QTest::qWait(100);
        QCOMPARE(events, (std::vector<std::string>{"locked", "unlocked", "locked", "unlocked"}));
        QVERIFY(onMainThread);
        services_.unregisterService("org.freedesktop.ScreenSaver");
        services_.unregisterService("org.gnome.ScreenSaver");
    }
};

QTEST_GUILESS_MAIN(DesktopEventsTest)
#include "desktop_events_test.moc"
