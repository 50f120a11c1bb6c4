// The "Start at login" switch of the settings window, offscreen, on a temporary
// XDG_CONFIG_HOME: toggles change the entry at once and apart from Save, the switch shows
// the entry found when the window opens, and a failed change is undone and explained.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "desktop/settings/QuintrelSwitch.h"
#include "desktop/settings/ViewController.h"
#include "fakes/FakePlatform.h"
#include "polling/Preferences.h"

namespace quintrel {

class AutostartSwitchTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir config;
    std::unique_ptr<fakes::FakePlatform> fakes;
    QString entry;

    std::unique_ptr<ViewController> makeView() {
        auto view = std::make_unique<ViewController>(fakes->settingsServices(), nullptr);
        view->show();
        if (!QTest::qWaitForWindowExposed(view.get())) {
            qFatal("the settings window was not shown");
        }
        return view;
    }
    static QuintrelSwitch* autostart(QWidget& view) {
        return view.findChild<QuintrelSwitch*>("qnautostart");
    }
    static QLabel* message(QWidget& view) { return view.findChild<QLabel*>("qnautostartMessage"); }
    QByteArray entryText() const {
        QFile file(entry);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeEntry(const QByteArray& text) {
        QDir().mkpath(config.path() + "/autostart");
        QFile file(entry);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

private slots:
    void initTestCase() {
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        entry = config.path() + "/autostart/com.quintrel.Companion.desktop";
    }
    void init() {
        fakes = std::make_unique<fakes::FakePlatform>();
        QDir(config.path()).removeRecursively();
        QDir().mkpath(config.path());
    }
    void cleanup() { fakes.reset(); }

    void togglingWritesAndRemovesTheEntryAtOnceApartFromSave() {
        auto view = makeView();
        auto* toggle = autostart(*view);
        QVERIFY(toggle && !toggle->isChecked());
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked());
        const QByteArray written = entryText();  // its content is the autostart unit test's
        QVERIFY(written.startsWith("[Desktop Entry]\n"));

        // Saving stores the six preferences and leaves the entry; closing undoes nothing.
        view->findChild<QLineEdit*>("qnapicode")->setText("code");
        QTest::mouseClick(view->findChild<QPushButton*>("saveButton"), Qt::LeftButton);
        fakes->http.succeed(0, R"({"error":0})");
        fakes->mainQueue.runPending();
        QVERIFY(!view->isVisible());
        QCOMPARE(fakes->preferences.object(prefs::apiCode), std::optional(nlohmann::json("code")));
        QCOMPARE(entryText(), written);

        view->show();
        QVERIFY(toggle->isChecked());
        toggle->setFocus();
        QTest::keyClick(toggle, Qt::Key_Space);
        QVERIFY(!toggle->isChecked());
        QVERIFY(!QFile::exists(entry));
        QVERIFY(message(*view)->isHidden());
    }

    void theWindowShowsTheEntryItFindsEachTimeItOpens() {
        const QByteArray hidden =
            "# mine\n[Desktop Entry]\nType=Application\nExec=quintrel-companion\nHidden=true\n"
            "[Extra]\nKey=1\n";
        writeEntry(hidden);
        auto view = makeView();
        auto* toggle = autostart(*view);
        QVERIFY(!toggle->isChecked());
        toggle->click();
        QVERIFY(toggle->isChecked());
        QCOMPARE(entryText(), QByteArray("# mine\n[Desktop Entry]\nType=Application\n"
                                         "Exec=quintrel-companion\n[Extra]\nKey=1\n"));

        // Disabled behind the window's back while it was closed.
        view->close();
        writeEntry(hidden);
        view->show();
        QVERIFY(!toggle->isChecked());
    }

    void aFailedChangePutsTheSwitchBackAndSaysWhy() {
        // A file where the autostart folder belongs: no user, root included, can write there.
        QFile blocker(config.path() + "/autostart");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto view = makeView();
        const int height = view->height();
        auto* toggle = autostart(*view);
        toggle->click();
        QVERIFY(!toggle->isChecked());
        QVERIFY(!message(*view)->isHidden());
        QVERIFY(message(*view)->text().startsWith("Could not turn on start at login: "));
        QVERIFY(message(*view)->text().contains("autostart is not a folder"));
        QVERIFY(view->height() > height);
        QVERIFY(QFile::remove(blocker.fileName()));
        toggle->click();
        QVERIFY(toggle->isChecked());
        QVERIFY(message(*view)->isHidden());
        QCOMPARE(view->height(), height);
    }
};

}  // namespace quintrel

QTEST_MAIN(quintrel::AutostartSwitchTest)
#include "autostart_switch_test.moc"
