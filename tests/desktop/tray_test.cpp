// The tray item on a private session bus, seen by a fake StatusNotifierWatcher the way a
// panel sees it: registration (also when the panel starts later), label, tool tip,
// painted icon, the properties hosts read, the icon chosen for the watcher's panel,
// change signals and clicks.

#include <sys/prctl.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QtTest>

#include "FakeWatcher.h"
#include "desktop/tray/QtStatusBar.h"
#include "desktop/tray/SniTypes.h"
#include "desktop/tray/SymbolicIcon.h"

using quintrel::QtStatusBar;
using quintrel::QtStatusItem;

class TrayTest : public QObject {
    Q_OBJECT

    QDBusConnection panel_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel");
    std::unique_ptr<FakeWatcher> watcher_;
    QStringList signals_;

    QVariantMap allProperties(const QString& service) {
        QDBusMessage getAll = QDBusMessage::createMethodCall(
            service, QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
        getAll << QStringLiteral("org.kde.StatusNotifierItem");
        const QDBusMessage reply = panel_.call(getAll, QDBus::BlockWithGui, 10000);
        return reply.type() == QDBusMessage::ReplyMessage
                   ? qdbus_cast<QVariantMap>(reply.arguments().value(0))
                   : QVariantMap();
    }

    quintrel::sni::PixmapList iconPixmaps(const QString& service) {
        quintrel::sni::PixmapList pixmaps;
        property(service, "IconPixmap").value<QDBusArgument>() >> pixmaps;
        return pixmaps;
    }

    // The name /proc shows for this process, which owns the fake watcher: the item takes
    // it for the panel's program.
    static void nameThisProcess(const char* name) { prctl(PR_SET_NAME, name, 0, 0, 0); }

    QVariant property(const QString& service, const QString& name) {
        QDBusMessage get = QDBusMessage::createMethodCall(
            service, QStringLiteral("/StatusNotifierItem"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << QStringLiteral("org.kde.StatusNotifierItem") << name;
        // The item answers from this very thread: wait with the event loop running.
        const QDBusMessage reply = panel_.call(get, QDBus::BlockWithGui, 10000);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            return {};
        }
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    void click(const QString& service, const QString& method, int x, int y) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, QStringLiteral("/StatusNotifierItem"),
                                           QStringLiteral("org.kde.StatusNotifierItem"), method);
        call << x << y;
        panel_.asyncCall(call);
    }

public slots:
    void recordSignal(const QDBusMessage& message) { signals_.append(message.member()); }

private slots:
    void initTestCase() {
        QVERIFY(panel_.isConnected());
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        for (const char* name : {"NewIcon", "NewToolTip", "NewTitle", "XAyatanaNewLabel"}) {
            panel_.connect(QString(), QStringLiteral("/StatusNotifierItem"),
                           QStringLiteral("org.kde.StatusNotifierItem"), QString::fromLatin1(name),
                           this, SLOT(recordSignal(QDBusMessage)));
        }
    }
    void cleanup() {
        watcher_.reset();
        signals_.clear();
        nameThisProcess("tray_test");
    }

    void panelSeesLabelToolTipAndIcon() {
        watcher_ = std::make_unique<FakeWatcher>(panel_);
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->isRegisteredWithWatcher(), 10000);
        const QString service = watcher_->registered.first();

        item->setTitle("123456");
        QTRY_VERIFY_WITH_TIMEOUT(signals_.contains("XAyatanaNewLabel") &&
                                     signals_.contains("NewIcon") &&
                                     signals_.contains("NewToolTip"),
                                 10000);
        QCOMPARE(property(service, "XAyatanaLabel").toString(), QStringLiteral("123456"));
        QCOMPARE(property(service, "Status").toString(), QStringLiteral("Active"));
        QCOMPARE(property(service, "ItemIsMenu").toBool(), false);

        quintrel::sni::ToolTip toolTip;
        property(service, "ToolTip").value<QDBusArgument>() >> toolTip;
        QCOMPARE(toolTip.title, QStringLiteral("123456"));

        quintrel::sni::PixmapList pixmaps;
        property(service, "IconPixmap").value<QDBusArgument>() >> pixmaps;
        QCOMPARE(pixmaps.size(), 4);
        QList<int> heights;
        for (const auto& pixmap : pixmaps) {
            heights.append(pixmap.height);
            QVERIFY(pixmap.width > pixmap.height);  // "123k" needs more than a square
            QCOMPARE(pixmap.argb.size(), qsizetype(pixmap.width) * pixmap.height * 4);
            // ARGB in network order: opaque white text and a dark plate are both there.
            int white = 0;
            int dark = 0;
            for (qsizetype i = 0; i < pixmap.argb.size(); i += 4) {
                const auto a = uchar(pixmap.argb[i]);
                const auto r = uchar(pixmap.argb[i + 1]);
                white += a == 255 && r == 255 ? 1 : 0;
                dark += a > 200 && r < 64 ? 1 : 0;
            }
            QVERIFY(white > 0);
            QVERIFY(dark > 0);
        }
        QCOMPARE(heights, (QList<int>{22, 32, 48, 64}));
    }

    void hostsFindEveryPropertyTheyRead() {
        watcher_ = std::make_unique<FakeWatcher>(panel_);
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        const QVariantMap properties = allProperties(watcher_->registered.first());
        const std::pair<const char*, QMetaType> expected[] = {
            {"Category", QMetaType::fromType<QString>()},
            {"Id", QMetaType::fromType<QString>()},
            {"Title", QMetaType::fromType<QString>()},
            {"Status", QMetaType::fromType<QString>()},
            {"WindowId", QMetaType::fromType<int>()},
            {"IconThemePath", QMetaType::fromType<QString>()},
            {"Menu", QMetaType::fromType<QDBusObjectPath>()},
            {"ItemIsMenu", QMetaType::fromType<bool>()},
            {"IconName", QMetaType::fromType<QString>()},
            {"IconPixmap", QMetaType::fromType<QDBusArgument>()},
            {"IconAccessibleDesc", QMetaType::fromType<QString>()},
            {"OverlayIconName", QMetaType::fromType<QString>()},
            {"OverlayIconPixmap", QMetaType::fromType<QDBusArgument>()},
            {"AttentionIconName", QMetaType::fromType<QString>()},
            {"AttentionIconPixmap", QMetaType::fromType<QDBusArgument>()},
            {"AttentionAccessibleDesc", QMetaType::fromType<QString>()},
            {"ToolTip", QMetaType::fromType<QDBusArgument>()},
            {"XAyatanaLabel", QMetaType::fromType<QString>()},
        };
        for (const auto& [name, type] : expected) {
            QVERIFY2(properties.contains(name), name);
            QCOMPARE(properties.value(name).metaType(), type);
        }
        QCOMPARE(properties.value("Menu").value<QDBusObjectPath>().path(),
                 QStringLiteral("/MenuBar"));
        QCOMPARE(properties.value("ItemIsMenu").toBool(), false);
        QVERIFY(!properties.value("IconAccessibleDesc").toString().isEmpty());
    }

    void theIconCarriesTheNumberUnlessThePanelDrawsTheLabel() {
        nameThisProcess("gnome-shell");
        watcher_ = std::make_unique<FakeWatcher>(panel_);
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        item->setTitle("15027");
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        const QString service = watcher_->registered.first();
        QTRY_VERIFY_WITH_TIMEOUT(!bar.item()->iconShowsTitle(), 10000);
        const auto symbolic = iconPixmaps(service);
        QCOMPARE(symbolic.size(), 4);
        for (const auto& pixmap : symbolic) {
            QCOMPARE(pixmap.argb,
                     quintrel::sni::pixmapOf(quintrel::symbolicicon::image(pixmap.height)).argb);
        }
        QCOMPARE(property(service, "XAyatanaLabel").toString(), QStringLiteral("15027"));

        // Another panel takes the watcher over: the number goes back into the icon.
        watcher_.reset();
        nameThisProcess("xfce4-panel");
        watcher_ = std::make_unique<FakeWatcher>(panel_);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->iconShowsTitle(), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        const auto painted = iconPixmaps(watcher_->registered.first());
        QCOMPARE(painted.size(), 4);
        QVERIFY(painted.first().width > painted.first().height);
    }

    void everyClickReachesTheActionAndKeepsItsPosition() {
        watcher_ = std::make_unique<FakeWatcher>(panel_);
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        int clicks = 0;
        item->setAction([&] { ++clicks; });
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        const QString service = watcher_->registered.first();
        QCOMPARE(bar.lastActivationPosition(), std::nullopt);

        click(service, "Activate", 100, 200);
        QTRY_COMPARE_WITH_TIMEOUT(clicks, 1, 10000);
        QCOMPARE(bar.lastActivationPosition(), std::optional<QPoint>(QPoint(100, 200)));
        click(service, "ContextMenu", 300, 5);
        QTRY_COMPARE_WITH_TIMEOUT(clicks, 2, 10000);
        QCOMPARE(bar.lastActivationPosition(), std::optional<QPoint>(QPoint(300, 5)));
        // A host that does not know the position keeps the last one known.
        click(service, "SecondaryActivate", 0, 0);
        QTRY_COMPARE_WITH_TIMEOUT(clicks, 3, 10000);
        QCOMPARE(bar.lastActivationPosition(), std::optional<QPoint>(QPoint(300, 5)));
    }

    void registersWhenThePanelStartsLaterAndAgainWhenItRestarts() {
        QtStatusBar bar;
        const auto item = bar.makeStatusItem();
        item->setTitle("42");
        QTest::qWait(200);
        QVERIFY(!bar.item()->isRegisteredWithWatcher());

        watcher_ = std::make_unique<FakeWatcher>(panel_);
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->isRegisteredWithWatcher(), 10000);
        QCOMPARE(property(watcher_->registered.first(), "XAyatanaLabel").toString(),
                 QStringLiteral("42"));

        watcher_.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!bar.item()->isRegisteredWithWatcher(), 10000);
        watcher_ = std::make_unique<FakeWatcher>(panel_);
        QTRY_COMPARE_WITH_TIMEOUT(watcher_->registered.size(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(bar.item()->isRegisteredWithWatcher(), 10000);
    }
};

QTEST_MAIN(TrayTest)
#include "tray_test.moc"
