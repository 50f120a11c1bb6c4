// Idle seconds and screen-lock events from fake desktop services on a private session bus.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QThread>
#include <QtTest>

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

// The freedesktop screen saver, answering in seconds.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public slots:
    Q_SCRIPTABLE uint GetSessionIdleTime() { return 7; }
};

class DesktopEventsTest : public QObject {
    Q_OBJECT

    // The fake services answer from a thread of their own: the idle query blocks the caller.
    QThread servicesThread_;
    QDBusConnection services_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "services");
    FakeMutter mutter_;
    FakeScreenSaver screenSaver_;

    void publish(QObject* object, const QString& service, const QString& path) {
        QVERIFY(services_.registerObject(path, object, QDBusConnection::ExportScriptableSlots));
        QVERIFY(services_.registerService(service));
    }
    void withdraw(const QString& service, const QString& path) {
        services_.unregisterService(service);
        services_.unregisterObject(path);
    }

    void emitActiveChanged(const QString& path, const QString& interface, bool active) {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, "ActiveChanged");
        signal << active;
        QVERIFY(services_.send(signal));
    }

private slots:
    void initTestCase() {
        QVERIFY(services_.isConnected());
        servicesThread_.start();
        mutter_.moveToThread(&servicesThread_);
        screenSaver_.moveToThread(&servicesThread_);
    }
    void cleanupTestCase() {
        servicesThread_.quit();
        servicesThread_.wait();
    }

    void idleTimeFallsBackThroughItsSources() {
        DesktopIdleTime idle;
        // No service and no X display (offscreen): nobody can tell.
        QCOMPARE(idle.secondsSinceLastInput(), 0.0);
        QCOMPARE(idle.source(), DesktopIdleTime::Source::none);

        publish(&screenSaver_, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
        QCOMPARE(idle.secondsSinceLastInput(), 7.0);
        QCOMPARE(idle.source(), DesktopIdleTime::Source::screenSaver);

        publish(&mutter_, "org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core");
        // The source that answered stays in use while it answers...
        QCOMPARE(idle.secondsSinceLastInput(), 7.0);
        withdraw("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver");
        // ...and the first one in line takes over when it stops.
        QCOMPARE(idle.secondsSinceLastInput(), 61.5);
        QCOMPARE(idle.source(), DesktopIdleTime::Source::mutter);
        withdraw("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core");
        QCOMPARE(idle.secondsSinceLastInput(), 0.0);
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
        screenLock.observe(record("locked"), record("unlocked"));

        emitActiveChanged("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", true);
        emitActiveChanged("/ScreenSaver", "org.freedesktop.ScreenSaver", false);
        emitActiveChanged("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", true);
        emitActiveChanged("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", false);
        // Another interface's signal of the same name is not a lock.
        emitActiveChanged("/org/example", "org.example.Other", true);
        QTRY_COMPARE_WITH_TIMEOUT(events.size(), size_t(4), 10000);
        QTest::qWait(100);
        QCOMPARE(events, (std::vector<std::string>{"locked", "unlocked", "locked", "unlocked"}));
        QVERIFY(onMainThread);
    }
};

QTEST_GUILESS_MAIN(DesktopEventsTest)
#include "desktop_events_test.moc"
