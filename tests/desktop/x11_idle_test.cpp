// Idle seconds from the X server's screen saver extension, with no D-Bus source at all.

#include <QtTest>

#include "desktop/system/DesktopIdleTime.h"

using quintrel::DesktopIdleTime;

class X11IdleTest : public QObject {
    Q_OBJECT

private slots:
    void theXServerAnswersWhenNoBusServiceDoes() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        DesktopIdleTime idle(QDBusConnection(QStringLiteral("no bus")));
        const double first = idle.secondsSinceLastInput();
        QCOMPARE(idle.source(), DesktopIdleTime::Source::x11);
        QVERIFY(first >= 0);
        QTest::qWait(1200);
        // Nobody touches this server: the idle time only grows.
        QVERIFY(idle.secondsSinceLastInput() > first);
    }
};

QTEST_MAIN(X11IdleTest)
#include "x11_idle_test.moc"
