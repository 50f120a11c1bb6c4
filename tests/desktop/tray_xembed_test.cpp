// The tray item on an X display: an XEmbed icon whenever no panel shows the
// StatusNotifierItem (no watcher, or a watcher without a host), gone once one does.

#include <QMenu>
#include <QtTest>

#include "FakeWatcher.h"
#include "desktop/tray/QtStatusBar.h"

using quintrel::QtStatusBar;

class TrayXEmbedTest : public QObject {
    Q_OBJECT

    QDBusConnection panel_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel");

private slots:
    void xembedOnlyWhileNoPanelShowsTheItem() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        item->setTitle("12", 12);
        QVERIFY(bar.item()->hasXEmbedIcon());

        auto watcher = std::make_unique<FakeWatcher>(panel_);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->isRegisteredWithWatcher(), 10000);
        QTest::qWait(200);  // the host check must not bring the XEmbed icon back
        QVERIFY(!bar.item()->hasXEmbedIcon());

        watcher.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!bar.item()->isRegisteredWithWatcher(), 10000);
        QVERIFY(bar.item()->hasXEmbedIcon());

        watcher = std::make_unique<FakeWatcher>(panel_, /*hostRegistered=*/false);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->isRegisteredWithWatcher(), 10000);
        QTest::qWait(200);
        QVERIFY(bar.item()->hasXEmbedIcon());
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
};

QTEST_MAIN(TrayXEmbedTest)
#include "tray_xembed_test.moc"
