// The settings window's switches without a mouse, offscreen: Tab reaches each one, Space
// and the arrow keys toggle it, and assistive technology reads its name, role and checked
// state through QAccessible.

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "desktop/settings/QuintrelSwitch.h"
#include "desktop/settings/ViewController.h"
#include "fakes/FakePlatform.h"

namespace quintrel {

class SwitchKeyboardTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config;
    std::unique_ptr<fakes::FakePlatform> fakes;
    std::unique_ptr<ViewController> view;

    QuintrelSwitch* toggle(const char* name) const {
        return view->findChild<QuintrelSwitch*>(name);
    }
    static bool accessibleChecked(QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->state().checked;
    }

private slots:
    void initTestCase() {
        // The autostart switch writes its entry at once: never into the real folder.
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }
    void init() {
        fakes = std::make_unique<fakes::FakePlatform>();
        view = std::make_unique<ViewController>(fakes->settingsServices(), nullptr);
        view->show();
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
    }
    void cleanup() {
        view.reset();
        fakes.reset();
    }

    void tabReachesEverySwitch() {
        QSet<QWidget*> reached;
        for (int i = 0; i < 40; ++i) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            reached.insert(focus);
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        for (auto* each : view->findChildren<QuintrelSwitch*>()) {
            QVERIFY2(reached.contains(each), qPrintable(each->objectName()));
        }
    }

    void accessibleNameRoleAndState() {
        const std::pair<const char*, QString> switches[] = {{"qnnotify", "Desktop notifications"},
                                                            {"qnplay", "Notification sounds"},
                                                            {"qnkeepalive", "Keep alive"},
                                                            {"qnmute", "Quiet while locked"},
                                                            {"qnautostart", "Start at login"}};
        for (const auto& [name, accessibleName] : switches) {
            QuintrelSwitch* control = toggle(name);
            QVERIFY2(control, name);
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
            QCOMPARE(face->text(QAccessible::Name), accessibleName);
            QCOMPARE(face->role(), QAccessible::CheckBox);
            QVERIFY(face->state().checkable && face->state().focusable);
            // Space toggles, Right turns on, Left turns off; the accessible state follows.
            const bool initially = control->isChecked();
            QCOMPARE(accessibleChecked(control), initially);
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Space);
            QCOMPARE(control->isChecked(), !initially);
            QCOMPARE(accessibleChecked(control), !initially);
            QTest::keyClick(control, Qt::Key_Right);
            QTest::keyClick(control, Qt::Key_Right);
            QVERIFY(control->isChecked());
            QTest::keyClick(control, Qt::Key_Left);
            QVERIFY(!control->isChecked() && !accessibleChecked(control));
            QVERIFY(control->hasFocus());
        }
    }

    void arrowsFollowTheKnobRightToLeft() {
        QuintrelSwitch* control = toggle("qnmute");
        control->setLayoutDirection(Qt::RightToLeft);
        control->setChecked(false);
        QTest::keyClick(control, Qt::Key_Left);
        QVERIFY(control->isChecked());
        QTest::keyClick(control, Qt::Key_Right);
        QVERIFY(!control->isChecked());
    }
};

}  // namespace quintrel

QTEST_MAIN(quintrel::SwitchKeyboardTest)
#include "switch_keyboard_test.moc"
