// The dashboard popup's widgets offscreen, with a recording web view in place of the
// web engine.

#include <QSignalSpy>
#include <QTest>

#include "desktop/popup/DashboardPopoverViewController.h"
#include "desktop/popup/DashboardPopup.h"
#include "fakes/FakeDesktop.h"

namespace quintrel {
namespace {

const std::string kCode = "abcdefghij0123456789ABCDEFGHIJ0123456789";
const std::string kWidgets = "http://localhost:47311";

class RecordingWebView final : public DashboardWebView {
public:
    RecordingWebView(QWidget* parent, QStringList& loads)
        : DashboardWebView(parent), loads_(loads) {}
    void loadURL(const QUrl& url, std::chrono::milliseconds timeout) override {
        loads_ << url.toString(QUrl::FullyEncoded);
        lastTimeout = timeout;
    }
    void loadHTML(const QString& html) override { loads_ << "html:" + html; }
    void setNavigationPolicy(NavigationPolicy policy) override { this->policy = std::move(policy); }
    void setLoadFinishedHandler(std::function<void(bool)> handler) override {
        finished = std::move(handler);
    }
    std::function<void(bool)> finished;

    NavigationPolicy policy;
    std::chrono::milliseconds lastTimeout{};

private:
    QStringList& loads_;
};

class DashboardPopupTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DashboardPopoverViewController> make(const std::string& code = kCode) {
        return std::make_unique<DashboardPopoverViewController>(
            code, kWidgets, QuintrelLegalLinks::forService("http://127.0.0.1:47311"), browser,
            [this](QWidget* parent) {
                ++viewsMade;
                lastView = new RecordingWebView(parent, loads);
                return lastView;
            });
    }

    fakes::FakeBrowser browser;
    QStringList loads;
    int viewsMade = 0;
    RecordingWebView* lastView = nullptr;

private slots:
    void init() {
        browser.opened.clear();
        loads.clear();
        viewsMade = 0;
        lastView = nullptr;
    }

    void layoutFollowsTheFixedMargins() {
        auto popup = make();
        popup->show();
        QCOMPARE(popup->size(), QSize(680, 560));
        QCOMPARE(popup->segmentedControl->geometry(), QRect(12, 12, 656, 28));
        QCOMPARE(popup->webArea->geometry().top(), 12 + 28 + 10);
        QCOMPARE(popup->webArea->geometry().left(), 12);
        QCOMPARE(popup->webArea->geometry().width(), 656);
        QCOMPARE(popup->webArea->geometry().bottom() + 1 + 8, popup->lastCheckedLabel->y());
        QCOMPARE(popup->lastCheckedLabel->geometry().bottom() + 1 + 2, popup->lastErrorLabel->y());
        QCOMPARE(popup->lastErrorLabel->geometry().bottom() + 1 + 10,
                 popup->openDashboardButton->y());
        QCOMPARE(popup->lastErrorLabel->x(), 14);
        QCOMPARE(popup->lastErrorLabel->width(), 680 - 28);
        QCOMPARE(popup->quitButton->x(), 12);
        QCOMPARE(popup->quitButton->geometry().bottom() + 1, 560 - 12);
        QCOMPARE(popup->settingsButton->geometry().right() + 1, 680 - 12);
        QCOMPARE(popup->openDashboardButton->geometry().right() + 1 + 8,
                 popup->settingsButton->x());
        QCOMPARE(popup->privacyPolicyButton->x(), popup->quitButton->geometry().right() + 1 + 14);
        QCOMPARE(popup->termsButton->x(), popup->privacyPolicyButton->geometry().right() + 1 + 10);
        QVERIFY(qAbs(popup->termsButton->geometry().center().y() -
                     popup->quitButton->geometry().center().y()) <= 1);
        QVERIFY(popup->webArea->height() > 400);
    }

    void textsAndFonts() {
        auto popup = make();
        QCOMPARE(popup->segmentedControl->segmentCount(), 3);
        QCOMPARE(popup->segmentedControl->label(0), QString("Overview"));
        QCOMPARE(popup->segmentedControl->label(1), QString("Map"));
        QCOMPARE(popup->segmentedControl->label(2), QString("Recent Visitors"));
        QCOMPARE(popup->segmentedControl->selectedSegment(), 0);
        QCOMPARE(popup->lastCheckedLabel->text(), QString("Last checked: Never"));
        QCOMPARE(popup->lastErrorLabel->text(), QString("Last error: None"));
        QCOMPARE(popup->lastCheckedLabel->font().pointSizeF(), 11.0);
        QCOMPARE(popup->privacyPolicyButton->toolTip(), QString("Open Quintrel Privacy Policy"));
        QCOMPARE(popup->termsButton->toolTip(), QString("Open Quintrel Terms"));
        QCOMPARE(popup->openDashboardButton->text(), QString("Open Dashboard"));
        QCOMPARE(popup->settingsButton->text(), QString("Settings"));
        QCOMPARE(popup->quitButton->text(), QString("Quit"));

        popup->updateStatus("Checking...", "None", true);
        QCOMPARE(popup->lastCheckedLabel->text(), QString("Last checked: Checking..."));
        QCOMPARE(popup->lastErrorLabel->text(), QString("Last error: None"));
    }

    void aLongErrorIsCutAtTheTail() {
        auto popup = make();
        popup->show();
        const std::string error(72, 'W');
        popup->updateStatus("Never", error, false);
        const QString shown = popup->lastErrorLabel->shownText();
        QVERIFY(shown.startsWith("Last error: WWW"));
        QVERIFY(shown.endsWith(QChar(0x2026)));
        QCOMPARE(popup->lastErrorLabel->text(), "Last error: " + QString::fromStdString(error));
    }

    void firstShowLoadsTheSelectedTabOnceThenTabsSwitch() {
        auto popup = make();
        popup->reloadSelectedTab();  // before the first show: nothing
        QVERIFY(loads.isEmpty());
        QCOMPARE(viewsMade, 0);
        popup->show();
        QCOMPARE(loads,
                 QStringList{QString::fromStdString(kWidgets + "/widget/wp3.2.php?code=" + kCode)});
        QCOMPARE(lastView->lastTimeout, std::chrono::milliseconds(60000));
        QTest::mouseClick(popup->segmentedControl->findChildren<QAbstractButton*>()[1],
                          Qt::LeftButton);
        QCOMPARE(popup->segmentedControl->selectedSegment(), 1);
        QCOMPARE(loads.last(), QString::fromStdString(
                                   kWidgets + "/widget/wp-map.php?code=" + kCode + "&archive=1"));
        QCOMPARE(viewsMade, 1);
    }

    void emptyCodeShowsTheNoCodePageOnEveryTab() {
        auto popup = make("");
        popup->show();
        popup->segmentedControl->setSelectedSegment(2);
        popup->reloadSelectedTab();
        QCOMPARE(loads.size(), 2);
        for (const QString& load : loads) {
            QVERIFY(load.startsWith("html:<!doctype html>\n"));
            QCOMPARE(load.size(), 5 + 188);
        }
    }

    void aHiddenPopupReleasesItsWebViewAndTheNextShowReloads() {
        auto popup = make();
        popup->show();
        QVERIFY(popup->hasWebView());
        popup->hide();
        QVERIFY(popup->hasWebView());
        // Fire the release as its timer would.
        auto* timer = popup->findChild<QTimer*>("releaseWebView");
        QVERIFY(timer);
        QVERIFY(timer->isActive());
        QCOMPARE(std::chrono::milliseconds(timer->interval()), std::chrono::milliseconds(180000));
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        QVERIFY(!popup->hasWebView());

        popup->setAPICode("changed");
        popup->reloadSelectedTab();  // the host's reload before the show
        QCOMPARE(viewsMade, 1);
        popup->show();
        QCOMPARE(viewsMade, 2);
        QCOMPARE(loads.last(), QString::fromStdString(kWidgets + "/widget/wp3.2.php?code=changed"));
        QCOMPARE(loads.size(), 2);
    }

    void showingAgainStopsTheRelease() {
        auto popup = make();
        popup->show();
        popup->hide();
        popup->show();
        QVERIFY(!popup->findChild<QTimer*>("releaseWebView")->isActive());
    }

    void newWindowsGoToTheBrowserAndFramesStay() {
        auto popup = make();
        popup->show();
        QVERIFY(lastView->policy);
        QVERIFY(lastView->policy(true, QUrl("https://elsewhere.example/")));
        QVERIFY(!lastView->policy(false, QUrl("http://localhost:47311/visitor?id=1")));
        QVERIFY(!lastView->policy(false, QUrl("file:///etc/passwd")));
        QVERIFY(lastView->policy(false, QUrl()));
        QCOMPARE(browser.opened, std::vector<std::string>{"http://localhost:47311/visitor?id=1"});
    }

    void buttonsCallTheirHandlersOrNothing() {
        auto popup = make();
        popup->show();
        QTest::mouseClick(popup->quitButton, Qt::LeftButton);  // no handler: nothing
        int dashboard = 0, settings = 0, quit = 0;
        popup->setOpenDashboardHandler([&] { ++dashboard; });
        popup->setOpenSettingsHandler([&] { ++settings; });
        popup->setQuitHandler([&] { ++quit; });
        QTest::mouseClick(popup->openDashboardButton, Qt::LeftButton);
        QTest::mouseClick(popup->settingsButton, Qt::LeftButton);
        QTest::mouseClick(popup->quitButton, Qt::LeftButton);
        QCOMPARE(dashboard + settings * 10 + quit * 100, 111);
        QVERIFY(popup->isVisible());  // none closes the popup itself

        QTest::mouseClick(popup->privacyPolicyButton, Qt::LeftButton);
        QTest::mouseClick(popup->termsButton, Qt::LeftButton);
        QCOMPARE(browser.opened, (std::vector<std::string>{"http://127.0.0.1:47311/privacy.php",
                                                           "http://127.0.0.1:47311/terms.php"}));
    }

    void thePopupWindowOpensNearTheTrayAndEscapeClosesIt() {
        std::shared_ptr<DashboardPopoverContent> content = make();
        DashboardPopup popover([] { return std::optional<QPoint>(QPoint(1200, 10)); });
        popover.setContentViewController(content);
        popover.setContentSize(content->preferredContentSize());
        QVERIFY(!popover.isShown());
        popover.show();
        auto* window = dynamic_cast<QWidget*>(content.get());
        QVERIFY(popover.isShown());
        QCOMPARE(window->size(), QSize(680, 560));
        QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::keyClick(window, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        // Just dismissed: a tray click now must close, not reopen.
        QVERIFY(popover.isShown());
        popover.performClose();
        QVERIFY(!popover.isShown());
    }

    void placementKeepsThePopupOnScreen() {
        const QRect screen(0, 0, 1280, 800);
        const QSize size(680, 560);
        QCOMPARE(popupPosition(size, QPoint(1200, 10), screen), QPoint(600, 14));
        QCOMPARE(popupPosition(size, QPoint(640, 10), screen), QPoint(300, 14));
        QCOMPARE(popupPosition(size, QPoint(20, 790), screen), QPoint(0, 790 - 4 - 560));
        // Fits neither below nor above the anchor: pushed back to the top edge.
        QCOMPARE(popupPosition(size, QPoint(640, 300), QRect(0, 0, 800, 600)), QPoint(120, 0));
        // A screen smaller than the popup: its top-left corner stays visible.
        QCOMPARE(popupPosition(size, QPoint(100, 100), QRect(0, 0, 500, 400)), QPoint(0, 0));
    }
};

}  // namespace
}  // namespace quintrel

QTEST_MAIN(quintrel::DashboardPopupTest)
#include "dashboard_popup_test.moc"
