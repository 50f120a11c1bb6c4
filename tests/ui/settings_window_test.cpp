// The settings window offscreen: controls filled from the preferences, Save wired to the
// check, keyboard use, the links, and the window itself.

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
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

    // Which stored value selects which state is the logic's table; here, that each control
    // shows its own key.
    void fillsTheControlsFromStoredValues() {
        auto& store = fakes->preferences;
        store.set(prefs::apiCode, "  stored code ");
        store.set(prefs::mode, 1);
        store.set(prefs::play, 0);
        store.set(prefs::mute, 0);
        auto view = makeView();
        QCOMPARE(control<QLineEdit>(*view, "qnapicode")->text(), QString("  stored code "));
        QCOMPARE(control<QComboBox>(*view, "qnmode")->currentIndex(), 1);
        QVERIFY(on(*view, "qnnotify") && on(*view, "qnkeepalive"));
        QVERIFY(!on(*view, "qnplay") && !on(*view, "qnmute"));
        QCOMPARE(startupSounds, 1);
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

    void theLinksAndHelpOpenTheirPages() {
        auto view = makeView();
        control<QPushButton>(*view, "privacyPolicyButton")->click();
        control<QPushButton>(*view, "termsButton")->click();
        control<QPushButton>(*view, "helpButton")->click();
        QCOMPARE(fakes->browser.opened,
                 (std::vector<std::string>{"https://quintrel.test/privacy.php",
                                           "https://quintrel.test/terms.php",
                                           "https://quintrel.test/plugin/?type=api"}));
    }

    void theWindowIsMadeOnceAndShownOnRequest() {
        QtSettingsWindows windows(services(), [this] { ++startupSounds; });
        auto controller = windows.makeSettingsWindow();
        QCOMPARE(startupSounds, 1);
        QWidget* view = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            view = qobject_cast<ViewController*>(w) ? w : view;
        }
        QVERIFY(view && !view->isVisible());
        controller->showWindow();
        QVERIFY(view->isVisible());
        view->close();
        controller->showWindow();
        QVERIFY(view->isVisible());
        QCOMPARE(startupSounds, 1);
    }
};

}  // namespace quintrel

QTEST_MAIN(quintrel::SettingsWindowTest)
#include "settings_window_test.moc"
