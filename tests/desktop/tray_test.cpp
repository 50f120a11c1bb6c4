// The tray item on a private session bus, seen by a fake StatusNotifierWatcher the way a
// panel sees it: registration (also when the panel starts later), label, tool tip,
// painted icon, change signals and clicks.

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QtTest>

#include "FakeWatcher.h"
#include "desktop/tray/QtStatusBar.h"
#include "desktop/tray/SniTypes.h"

using quintrel::QtStatusBar;
using quintrel::QtStatusItem;

class TrayTest : public QObject {
    Q_OBJECT

    QDBusConnection panel_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel");
    std::unique_ptr<FakeWatcher> watcher_;
    QStringList signals_;

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
            QVERIFY(pixmap.width > pixmap.height);  // six digits need more than a square
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
