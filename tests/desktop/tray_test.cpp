// The tray item on a private session bus, as a fake StatusNotifierWatcher's panel sees it.

#include <sys/prctl.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QtTest>

#include "FakeNotificationServer.h"
#include "FakeWatcher.h"
#include "desktop/tray/QtStatusBar.h"
#include "desktop/tray/SniTypes.h"
#include "desktop/tray/SymbolicIcon.h"

using quintrel::QtStatusBar;

using quintrel::fakes::FakeNotificationServer;

class TrayTest : public QObject {
    Q_OBJECT

    QDBusConnection panel_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel");
    std::unique_ptr<FakeWatcher> watcher_;

    // A call on the item, which answers from this thread: wait with the event loop running.
    QVariant call(const QString& interface, const QString& method, const QVariantList& args) {
        auto message = QDBusMessage::createMethodCall(watcher_->registered.value(0),
                                                      "/StatusNotifierItem", interface, method);
        message.setArguments(args);
        const QDBusMessage reply = panel_.call(message, QDBus::BlockWithGui, 10000);
        return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0) : QVariant();
    }
    QVariant property(const QString& name) {
        return call("org.freedesktop.DBus.Properties", "Get", {"org.kde.StatusNotifierItem", name})
            .value<QDBusVariant>()
            .variant();
    }
    quintrel::sni::PixmapList iconPixmaps() {
        quintrel::sni::PixmapList pixmaps;
        property("IconPixmap").value<QDBusArgument>() >> pixmaps;
        return pixmaps;
    }
    void click(const QString& method, int x, int y) {
        auto message =
            QDBusMessage::createMethodCall(watcher_->registered.value(0), "/StatusNotifierItem",
                                           "org.kde.StatusNotifierItem", method);
        message << x << y;
        panel_.asyncCall(message);
    }
    // The item takes this process's name, the fake watcher's owner, for the panel's program.
    static void nameThisProcess(const char* name) { prctl(PR_SET_NAME, name, 0, 0, 0); }

    // A panel (the fake watcher) and an item that has registered with it.
    std::unique_ptr<QtStatusBar> bar_;
    std::unique_ptr<quintrel::StatusItem> item_;
    QtStatusBar* registeredItem(
        std::chrono::milliseconds listedCheckDelay = quintrel::QtStatusItem::kListedCheckDelay) {
        watcher_ = std::make_unique<FakeWatcher>(panel_);
        bar_ = std::make_unique<QtStatusBar>(QDBusConnection::sessionBus(), listedCheckDelay);
        item_ = bar_->makeStatusItem();
        [&] {
            QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        }();
        return bar_.get();
    }

private slots:
    void initTestCase() { QVERIFY(panel_.isConnected()); }
    void cleanup() {
        item_.reset();
        bar_.reset();
        watcher_.reset();
        nameThisProcess("tray_test");
    }

    // One property of each type a host reads, and the values hosts act on.
    void hostsFindThePropertiesTheyRead() {
        const auto bar = registeredItem();
        const auto properties = qdbus_cast<QVariantMap>(
            call("org.freedesktop.DBus.Properties", "GetAll", {"org.kde.StatusNotifierItem"}));
        const std::pair<const char*, QMetaType> expected[] = {
            {"Category", QMetaType::fromType<QString>()},
            {"WindowId", QMetaType::fromType<int>()},
            {"Menu", QMetaType::fromType<QDBusObjectPath>()},
            {"ItemIsMenu", QMetaType::fromType<bool>()},
            {"IconPixmap", QMetaType::fromType<QDBusArgument>()},
        };
        for (const auto& [name, type] : expected) {
            QVERIFY2(properties.contains(name), name);
            QCOMPARE(properties.value(name).metaType(), type);
        }
        QCOMPARE(properties.value("Status").toString(), QStringLiteral("Active"));
        QCOMPARE(properties.value("ItemIsMenu").toBool(), false);  // the menu path: tray menu e2e
        QVERIFY(!properties.value("IconAccessibleDesc").toString().isEmpty());
        // A panel not known gets square pixmaps at every size a tray slot commonly has.
        bar->item()->setTitle("123456", 123456);
        QList<int> sizes;
        for (const auto& pixmap : iconPixmaps()) {
            QCOMPARE(pixmap.width, pixmap.height);
            sizes.append(pixmap.height);
        }
        QCOMPARE(sizes, (QList<int>{16, 22, 24, 32, 48, 64}));
    }

    void theIconCarriesTheNumberUnlessThePanelDrawsTheLabel() {
        nameThisProcess("gnome-shell");
        const auto bar = registeredItem();
        bar->item()->setTitle("15027", 15027);
        QTRY_VERIFY_WITH_TIMEOUT(!bar->item()->iconShowsTitle(), 10000);
        for (const auto& pixmap : iconPixmaps()) {
            QCOMPARE(pixmap.argb,
                     quintrel::sni::pixmapOf(quintrel::symbolicicon::image(pixmap.height)).argb);
        }
        QCOMPARE(property("XAyatanaLabel").toString(), QStringLiteral("15027"));
        // By name too: GNOME colours it like its own icons.
        QCOMPARE(property("IconName").toString(),
                 QStringLiteral("com.quintrel.Companion-symbolic"));
        QVERIFY(QFile::exists(property("IconThemePath").toString() +
                              "/com.quintrel.Companion-symbolic.svg"));

        // Other panels take over: the number goes back into the icon, wide where they keep
        // the aspect ratio.
        for (const auto& [panel, wide] : {std::pair("xfce4-panel", false), {"waybar", true}}) {
            watcher_.reset();
            nameThisProcess(panel);
            watcher_ = std::make_unique<FakeWatcher>(panel_);
            QTRY_VERIFY_WITH_TIMEOUT(bar->item()->iconShowsTitle(), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(iconPixmaps().value(1).width > 22, wide, 10000);
            QCOMPARE(iconPixmaps().value(1).height, 22);
            QCOMPARE(property("IconName").toString(), QString());
            QCOMPARE(property("XAyatanaLabel").toString(), QStringLiteral("15027"));
        }
    }

    void clicksReachTheActionAndKeepThePosition() {
        const auto bar = registeredItem();
        int clicks = 0;
        bar->item()->setAction([&] { ++clicks; });
        QCOMPARE(bar->lastActivationPosition(), std::nullopt);
        click("Activate", 100, 200);
        QTRY_COMPARE_WITH_TIMEOUT(clicks, 1, 10000);
        QCOMPARE(bar->lastActivationPosition(), std::optional<QPoint>(QPoint(100, 200)));
        // A host that does not know the position keeps the last one known.
        click("SecondaryActivate", 0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(clicks, 2, 10000);
        QCOMPARE(bar->lastActivationPosition(), std::optional<QPoint>(QPoint(100, 200)));

        // A menu event for no such entry is refused, as the menu protocol asks.
        auto event = QDBusMessage::createMethodCall(watcher_->registered.value(0), "/MenuBar",
                                                    "com.canonical.dbusmenu", "Event");
        event << 99 << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
        QCOMPARE(panel_.call(event, QDBus::BlockWithGui, 10000).errorName(),
                 QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    }

    // A watcher that drops an accepted item (GNOME's, at times) gets it again, 3 times at most.
    void anItemTheWatcherNoLongerListsRegistersAgain() {
        registeredItem(std::chrono::milliseconds(100));
        QTest::qWait(500);
        QCOMPARE(watcher_->registered.size(), 1);
        watcher_->listsItems = false;
        // The watcher says it let the item go.
        panel_.send(QDBusMessage::createSignal("/StatusNotifierWatcher",
                                               "org.kde.StatusNotifierWatcher",
                                               "StatusNotifierItemUnregistered")
                    << watcher_->registered.value(0) + "/StatusNotifierItem");
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 4, 10000);
        QTest::qWait(500);
        QCOMPARE(watcher_->registered.size(), 4);
    }

    // No panel shows the item (and offscreen, no XEmbed tray): one notification opens the popup.
    void aDesktopThatShowsNoItemsGetsOneNotification_data() {
        QTest::addColumn<bool>("watcher");
        QTest::addColumn<bool>("host");
        QTest::addColumn<bool>("told");
        QTest::addRow("no watcher") << false << false << true;
        QTest::addRow("a watcher without a host") << true << false << true;
        QTest::addRow("a panel") << true << true << false;
    }
    void aDesktopThatShowsNoItemsGetsOneNotification() {
        QFETCH(bool, watcher);
        QFETCH(bool, host);
        QFETCH(bool, told);
        FakeNotificationServer notifications(panel_);
        if (watcher) {
            watcher_ = std::make_unique<FakeWatcher>(panel_, host);
            // It answers after the check's time: its answer must decide, not the clock.
            watcher_->answerDelay = std::chrono::milliseconds(600);
        }
        QtStatusBar bar(QDBusConnection::sessionBus(), quintrel::QtStatusItem::kListedCheckDelay,
                        std::chrono::milliseconds(200));
        const auto item = bar.makeStatusItem();
        int clicks = 0;
        item->setAction([&] { ++clicks; });
        if (watcher) {
            QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        }
        if (!told) {
            QTest::qWait(1000);
            QVERIFY(notifications.calls.isEmpty());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(notifications.calls.size(), 1, 10000);
        QVERIFY(notifications.calls[0].body.contains("AppIndicator"));
        QVERIFY(notifications.calls[0].actions.contains("Show Overview"));
        notifications.emitSignal("ActionInvoked", {1u, "default"});
        QTRY_COMPARE_WITH_TIMEOUT(clicks, 1, 10000);
        // A host appearing later changes nothing, and nothing repeats.
        if (watcher_) {
            watcher_->registerHost();
        }
        QTest::qWait(500);
        QCOMPARE(notifications.calls.size(), 1);
    }
};

QTEST_MAIN(TrayTest)
#include "tray_test.moc"
