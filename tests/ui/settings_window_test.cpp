// The settings window offscreen, on a temporary XDG_CONFIG_HOME.

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "desktop/settings/QuintrelSwitch.h"
#include "desktop/settings/SettingsWindow.h"
#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"

namespace quintrel {

class SettingsWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config;  // the autostart switch writes at once: never into the real folder
    QString entry;
    std::unique_ptr<fakes::FakePlatform> fakes;
    int startupSounds = 0;

    bool visibleAtRefresh = true;
    QWidget* made = nullptr;

    std::unique_ptr<SettingsWindow> makeView() {
        auto view = std::make_unique<SettingsWindow>(
            fakes->settingsServices(),
            SaveReports{[](const std::string&) {}, [](const std::string&) {},
                        [this] {
                            visibleAtRefresh = made->isVisible();
                        }},
            [this] { ++startupSounds; });
        made = view.get();
        view->show();
        view->activateWindow();
        if (!QTest::qWaitForWindowActive(view.get())) {
            qFatal("the settings window was not shown");
        }
        return view;
    }
    template <typename T = QuintrelSwitch>
    static T* control(QWidget& view, const char* name) {
        auto* found = view.findChild<T*>(name);
        if (!found) {
            qFatal("no control %s", name);
        }
        return found;
    }
    static bool accessibleChecked(QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->state().checked;
    }
    void answerTheCheck(const char* reply, std::size_t index = 0) {
        fakes->http.succeed(index, reply);
    }
    void writeEntry(const QByteArray& text) {
        QDir().mkpath(config.path() + "/autostart");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) > 0);
    }

private slots:
    void initTestCase() {
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        entry = config.path() + "/autostart/com.quintrel.Companion.desktop";
    }
    void init() {
        fakes = std::make_unique<fakes::FakePlatform>();
        startupSounds = 0;
        QDir(config.path()).removeRecursively();
        QDir().mkpath(config.path());
    }

    // Which value selects which state is the logic's table; here, each control shows its key.
    void fillsTheControlsFromStoredValuesAndOpensTheLinks() {
        auto& store = fakes->preferences;
        store.set(prefs::apiCode, "  stored code ");
        store.set(prefs::mode, 1);
        store.set(prefs::play, 0);
        store.set(prefs::mute, 0);
        auto view = makeView();
        QCOMPARE(control<QLineEdit>(*view, "qnapicode")->text(), QString("  stored code "));
        QCOMPARE(control<QComboBox>(*view, "qnmode")->currentIndex(), 1);
        QVERIFY(control(*view, "qnnotify")->isChecked() &&
                control(*view, "qnkeepalive")->isChecked());
        QVERIFY(!control(*view, "qnplay")->isChecked() && !control(*view, "qnmute")->isChecked());
        QCOMPARE(startupSounds, 1);
        for (const char* button : {"privacyPolicyButton", "termsButton", "helpButton"}) {
            control<QPushButton>(*view, button)->click();
        }
        QCOMPARE(fakes->browser.opened,
                 (std::vector<std::string>{"https://quintrel.test/privacy.php",
                                           "https://quintrel.test/terms.php",
                                           "https://quintrel.test/plugin/?type=api"}));
    }

    // The button's wiring, and an outcome that arrives after the window is gone.
    void saveChecksTheCleanedCodeAndStoresWhatWasShownWhenPressed() {
        auto view = makeView();
        auto* code = control<QLineEdit>(*view, "qnapicode");
        code->setText(" abc def\n");
        QTest::mouseClick(control<QPushButton>(*view, "saveButton"), Qt::LeftButton);
        QCOMPARE(fakes->http.count(), std::size_t{1});

        // Edits after the press do not change what the check stores.
        control(*view, "qnnotify")->setChecked(false);
        code->setText("changed");
        view.reset();
        answerTheCheck(R"({"error":0})");
        QCOMPARE(fakes->preferences.object(prefs::apiCode),
                 std::optional(nlohmann::json("abcdef")));
        QCOMPARE(fakes->preferences.object(prefs::notify), std::optional(nlohmann::json(1)));
    }

    // Enter on a switch saves (Return in the code field: the e2e test); a rejected code keeps
    // the window, Escape closes it, and a stored one closes it before the refresh.
    void enterOnASwitchSavesAndOnlyAStoredCodeClosesTheWindow() {
        auto view = makeView();
        control<QLineEdit>(*view, "qnapicode")->setText("wrong");
        control(*view, "qnmute")->setFocus();
        QTest::keyClick(control(*view, "qnmute"), Qt::Key_Enter);
        QCOMPARE(fakes->http.count(), std::size_t{1});
        answerTheCheck(R"({"error":3})");
        QVERIFY(view->isVisible());
        QTest::keyClick(control(*view, "qnmute"), Qt::Key_Escape);
        QVERIFY(!view->isVisible());
        view->show();
        QTest::mouseClick(control<QPushButton>(*view, "saveButton"), Qt::LeftButton);
        answerTheCheck(R"({"error":0})", 1);
        QVERIFY(!view->isVisible() && !visibleAtRefresh);
    }

    // Tab reaches every switch, which tells assistive technology what it is; the keys are one
    // class's, tried on one switch.
    void tabReachesEverySwitchWhichTellsAssistiveTechnologyAndFollowsTheKeys() {
        auto view = makeView();
        QSet<QWidget*> reached;
        for (int i = 0; i < 40; ++i) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            reached.insert(focus);
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        for (QuintrelSwitch* each : view->findChildren<QuintrelSwitch*>()) {
            QVERIFY2(reached.contains(each), qPrintable(each->objectName()));
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(each);
            QVERIFY(!face->text(QAccessible::Name).isEmpty());
            QCOMPARE(face->role(), QAccessible::CheckBox);
            QVERIFY(face->state().checkable && face->state().focusable);
            QCOMPARE(face->state().checked, each->isChecked());
        }
        // Space toggles, Right turns on, Left turns off; the accessible state follows.
        QuintrelSwitch* toggle = control(*view, "qnmute");
        const bool initially = toggle->isChecked();
        toggle->setFocus();
        QTest::keyClick(toggle, Qt::Key_Space);
        QCOMPARE(toggle->isChecked(), !initially);
        QCOMPARE(accessibleChecked(toggle), !initially);
        QTest::keyClick(toggle, Qt::Key_Right);
        QVERIFY(toggle->isChecked());
        QTest::keyClick(toggle, Qt::Key_Left);
        QVERIFY(!toggle->isChecked() && !accessibleChecked(toggle) && toggle->hasFocus());
        // The arrows follow the knob right to left.
        toggle->setLayoutDirection(Qt::RightToLeft);
        QTest::keyClick(toggle, Qt::Key_Left);
        QVERIFY(toggle->isChecked());
        QTest::keyClick(toggle, Qt::Key_Right);
        QVERIFY(!toggle->isChecked());
    }

    // The switch shows the entry found as the window opens; a failed change reverts and says why.
    void startAtLoginFollowsTheEntryAndAFailedChangeSaysWhy() {
        auto view = makeView();
        auto* toggle = control(*view, "qnautostart");
        toggle->click();
        QVERIFY(toggle->isChecked());
        // Disabled behind the window's back while it was closed.
        view->close();
        writeEntry("[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n");
        view->show();
        QVERIFY(!toggle->isChecked());

        // A file where the autostart folder belongs: no user, root included, can write there.
        QVERIFY(QDir(config.path() + "/autostart").removeRecursively());
        QFile blocker(config.path() + "/autostart");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const int height = view->height();
        auto* message = control<QLabel>(*view, "qnautostartMessage");
        toggle->click();
        QVERIFY(!toggle->isChecked() && !message->isHidden());
        QVERIFY(message->text().contains("autostart is not a folder"));
        QVERIFY(view->height() > height);
        QVERIFY(QFile::remove(blocker.fileName()));
        toggle->click();
        QVERIFY(toggle->isChecked() && message->isHidden());
        QCOMPARE(view->height(), height);
    }
};

}  // namespace quintrel

QTEST_MAIN(quintrel::SettingsWindowTest)
#include "settings_window_test.moc"
