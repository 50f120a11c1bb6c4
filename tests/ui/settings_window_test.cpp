// The settings window offscreen: controls filled from the preferences, Save wired to the
// check, keyboard use, the legal links' places and tooltips, and the window itself.

#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "desktop/settings/QtSettingsWindows.h"
#include "desktop/settings/QuintrelSwitch.h"
#include "desktop/settings/ViewController.h"
#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"

namespace quintrel {

class SettingsWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<fakes::FakePlatform> fakes;
    int startupSounds = 0;

    SettingsServices services() { return fakes->settingsServices(); }
    std::unique_ptr<ViewController> makeView() {
        return std::make_unique<ViewController>(services(), [this] { ++startupSounds; });
    }
    template <typename T>
    static T* control(QWidget& view, const char* name) {
        auto* found = view.findChild<T*>(name);
        if (!found) {
            qFatal("no control %s", name);
        }
        return found;
    }
    static bool on(QWidget& view, const char* name) {
        return control<QuintrelSwitch>(view, name)->isChecked();
    }

private slots:
    void init() {
        fakes = std::make_unique<fakes::FakePlatform>();
        startupSounds = 0;
    }
    void cleanup() { fakes.reset(); }

    void fillsTheControlsFromStoredValues() {
        auto& store = fakes->preferences;
        store.set(prefs::apiCode, "  stored code ");
        store.set(prefs::notify, "0");  // text: missing, so on
        store.set(prefs::mode, 1);
        store.set(prefs::play, 0);
        store.set(prefs::keepAlive, 1.5);  // no whole number: missing, so on
        store.set(prefs::mute, false);
        auto view = makeView();
        QCOMPARE(control<QLineEdit>(*view, "qnapicode")->text(), QString("  stored code "));
        QVERIFY(on(*view, "qnnotify"));
        QCOMPARE(control<QComboBox>(*view, "qnmode")->currentIndex(), 1);
        QVERIFY(!on(*view, "qnplay"));
        QVERIFY(on(*view, "qnkeepalive"));
        QVERIFY(!on(*view, "qnmute"));
        QCOMPARE(startupSounds, 1);

        store.set(prefs::apiCode, 7);
        store.set(prefs::mode, 2);  // beyond the two items
        auto second = makeView();
        QCOMPARE(control<QLineEdit>(*second, "qnapicode")->text(), QString());
        QCOMPARE(control<QComboBox>(*second, "qnmode")->currentIndex(), 0);
    }

    void modeOffersTheTwoDisplays() {
        auto view = makeView();
        auto* mode = control<QComboBox>(*view, "qnmode");
        QCOMPARE(mode->count(), 2);
        QCOMPARE(mode->itemText(0), QString("Visitors online"));
        QCOMPARE(mode->itemText(1), QString("Page views"));
    }

    void saveChecksTheCleanedCodeAndStoresWhatWasShownWhenPressed() {
        auto view = makeView();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        auto* code = control<QLineEdit>(*view, "qnapicode");
        code->setText(" abc def\n");
        control<QComboBox>(*view, "qnmode")->setCurrentIndex(1);
        control<QuintrelSwitch>(*view, "qnplay")->setChecked(false);
        QTest::mouseClick(control<QPushButton>(*view, "saveButton"), Qt::LeftButton);
        QCOMPARE(fakes->http.resumedURLs(),
                 std::vector<std::string>{"https://quintrel.test/api/chrome.php?v=2&code=abcdef"});

        // Edits after the press do not change what the check stores.
        control<QuintrelSwitch>(*view, "qnnotify")->setChecked(false);
        code->setText("changed");
        fakes->http.succeed(0, R"({"error":0})");
        fakes->mainQueue.runPending();
        const auto& store = fakes->preferences;
        QCOMPARE(store.object(prefs::apiCode), std::optional(nlohmann::json("abcdef")));
        QCOMPARE(store.object(prefs::notify), std::optional(nlohmann::json(1)));
        QCOMPARE(store.object(prefs::mode), std::optional(nlohmann::json(1)));
        QCOMPARE(store.object(prefs::play), std::optional(nlohmann::json(0)));
        QVERIFY(!view->isVisible());  // closed by the success, not destroyed
    }

    void aRejectedCodeKeepsTheWindowOpenAndStoresNothing() {
        auto view = makeView();
        view->show();
        control<QLineEdit>(*view, "qnapicode")->setText("wrong");
        QTest::mouseClick(control<QPushButton>(*view, "saveButton"), Qt::LeftButton);
        fakes->http.succeed(0, R"({"error":3})");
        fakes->mainQueue.runPending();
        QVERIFY(view->isVisible());
        QVERIFY(!fakes->preferences.object(prefs::apiCode));
    }

    void anOutcomeArrivingAfterTheWindowIsGoneIsStillHandled() {
        auto view = makeView();
        control<QLineEdit>(*view, "qnapicode")->setText("late");
        QTest::mouseClick(control<QPushButton>(*view, "saveButton"), Qt::LeftButton);
        view.reset();
        fakes->http.succeed(0, R"({"error":0})");
        fakes->mainQueue.runPending();
        QCOMPARE(fakes->preferences.object(prefs::apiCode), std::optional(nlohmann::json("late")));
    }

    void closeRequestedFromAnotherThreadClosesOnTheMainThread() {
        auto view = makeView();
        view->show();
        std::thread([this] { fakes->bus.post("com.quintrel.close"); }).join();
        QVERIFY(view->isVisible());
        fakes->mainQueue.runPending();
        QVERIFY(!view->isVisible());
    }

    void enterSavesAndEscapeCloses() {
        auto view = makeView();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        auto* code = control<QLineEdit>(*view, "qnapicode");
        code->setText("typed");
        code->setFocus();
        QTest::keyClick(code, Qt::Key_Return);
        QCOMPARE(fakes->http.count(), std::size_t{1});
        control<QuintrelSwitch>(*view, "qnmute")->setFocus();
        QTest::keyClick(control<QuintrelSwitch>(*view, "qnmute"), Qt::Key_Enter);
        QCOMPARE(fakes->http.count(), std::size_t{2});
        QTest::keyClick(code, Qt::Key_Escape);
        QVERIFY(!view->isVisible());
    }

    void switchesAreKeyboardToggledAndNamedForAssistiveTechnology() {
        auto view = makeView();
        view->show();
        auto* notify = control<QuintrelSwitch>(*view, "qnnotify");
        QVERIFY(notify->isChecked());
        notify->setFocus();
        QTest::keyClick(notify, Qt::Key_Space);
        QVERIFY(!notify->isChecked());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(notify);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), QString("Desktop notifications"));
        QVERIFY(accessible->state().checkable);
        QVERIFY(!accessible->state().checked);
    }

    void linksSitAtTheBottomLeftAndOpenTheLegalPages() {
        auto view = makeView();
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
        auto* privacy = control<QPushButton>(*view, "privacyPolicyButton");
        auto* terms = control<QPushButton>(*view, "termsButton");
        const int top = view->height() - 20 - 18;
        QCOMPARE(privacy->geometry(), QRect(18, top, 94, 18));
        QCOMPARE(terms->geometry(), QRect(120, top, 48, 18));
        QCOMPARE(privacy->toolTip(), QString("Open Quintrel Privacy Policy"));
        QCOMPARE(terms->toolTip(), QString("Open Quintrel Terms"));
        QVERIFY(privacy->font().underline());
        for (QPushButton* link : {privacy, terms}) {
            QVERIFY(link->fontMetrics().horizontalAdvance(link->text()) <= link->width());
        }
        // The links stay clear of the Help button on their row.
        QVERIFY(terms->geometry().right() < control<QPushButton>(*view, "helpButton")->x());

        privacy->click();
        terms->click();
        control<QPushButton>(*view, "helpButton")->click();
        QCOMPARE(fakes->browser.opened,
                 (std::vector<std::string>{"https://quintrel.test/privacy.php",
                                           "https://quintrel.test/terms.php",
                                           "https://quintrel.test/plugin/?type=api"}));
    }

    void theWindowIsTitledFixedAndShownOnRequest() {
        QtSettingsWindows windows(services(), [this] { ++startupSounds; });
        auto controller = windows.makeSettingsWindow();
        QCOMPARE(startupSounds, 1);
        auto* view = [] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* found = qobject_cast<ViewController*>(w)) {
                    return found;
                }
            }
            return static_cast<ViewController*>(nullptr);
        }();
        QVERIFY(view);
        QVERIFY(!view->isVisible());
        controller->showWindow();
        QVERIFY(view->isVisible());
        QCOMPARE(view->windowTitle(), QString("Quintrel Configuration"));
        QCOMPARE(view->minimumSize(), view->maximumSize());
        view->close();
        controller->showWindow();
        QVERIFY(view->isVisible());
        QCOMPARE(startupSounds, 1);
    }
};

}  // namespace quintrel

QTEST_MAIN(quintrel::SettingsWindowTest)
#include "settings_window_test.moc"
