// What comes from the X display: the XEmbed tray icon while no panel shows the item, and
// idle seconds from the screen saver extension.

#include <QMenu>
#include <QtTest>

#include "FakeWatcher.h"
#include "desktop/system/DesktopIdleTime.h"
#include "desktop/tray/QtStatusBar.h"

using quintrel::DesktopIdleTime;
using quintrel::QtStatusBar;

class X11Test : public QObject {
    Q_OBJECT

    QDBusConnection panel_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel");

private slots:
    void initTestCase() { QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb")); }

    void xembedOnlyWhileNoPanelShowsTheItem() {
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        item->setTitle("12", 12);
        QVERIFY(bar.item()->hasXEmbedIcon());

        auto watcher = std::make_unique<FakeWatcher>(panel_);
        QTRY_COMPARE_WITH_TIMEOUT(watcher->registered.size(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->isRegisteredWithWatcher(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!bar.item()->hasXEmbedIcon(), 10000);

        watcher.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!bar.item()->isRegisteredWithWatcher(), 10000);
        QVERIFY(bar.item()->hasXEmbedIcon());

        watcher = std::make_unique<FakeWatcher>(panel_, /*hostRegistered=*/false);
        QTRY_COMPARE_WITH_TIMEOUT(watcher->registered.size(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->isRegisteredWithWatcher(), 10000);
        QTest::qWait(200);
        QVERIFY(bar.item()->hasXEmbedIcon());
        QCOMPARE(watcher->registered.size(), 1);  // the XEmbed icon is no item of its own
        watcher->registerHost();
        QTRY_VERIFY_WITH_TIMEOUT(!bar.item()->hasXEmbedIcon(), 10000);
    }

    void theXEmbedIconShowsTheItemsMenu() {
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        QStringList chosen;
        const auto choose = [&chosen](const char* name) {
            return [&chosen, name] {
                chosen << name;
            };
        };
        item->setMenu({{"Refresh Now", choose("refresh")}, {}, {"Save & Quit", choose("quit")}});
        QMenu* menu = bar.item()->xembedMenu();
        QVERIFY(menu);
        const auto actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QStringLiteral("Refresh Now"));
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QStringLiteral("Save && Quit"));
        actions[2]->trigger();
        actions[0]->trigger();
        QCOMPARE(chosen, (QStringList{"quit", "refresh"}));
    }

    void theXServerAnswersWhenNoBusServiceDoes() {
        DesktopIdleTime idle(QDBusConnection(QStringLiteral("no bus")));
        const double first = idle.secondsSinceLastInput();
        QCOMPARE(idle.source(), DesktopIdleTime::Source::x11);
        QVERIFY(first >= 0);
        QTest::qWait(1200);
        // Nobody touches this server: the idle time only grows.
        QTRY_VERIFY(idle.secondsSinceLastInput() > first);
    }
};

QTEST_MAIN(X11Test)
#include "x11_test.moc"
