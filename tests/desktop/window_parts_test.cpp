// libquintrel-windows.so as the app loads it: used, or missing or broken and reported.

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest>

#include "desktop/ondemand/WindowParts.h"
#include "fakes/FakePlatform.h"

using namespace quintrel;
using quintrel::fakes::FakePlatform;

class WindowPartsTest : public QObject {
    Q_OBJECT

private slots:
    void loadsTheSharedObjectAndMakesItsWindows() {
        WindowParts* parts = loadWindowParts(QStringLiteral(QUINTREL_WINDOWS_DIR));
        QVERIFY(parts != nullptr);
        FakePlatform fakes;
        bool played = false;
        const auto settings =
            parts->makeSettingsWindows(fakes.settingsServices(), [&] { played = true; });
        QVERIFY(settings != nullptr);
        QVERIFY(settings->makeSettingsWindow({}) != nullptr);
        QVERIFY(played);
        const auto popovers = parts->makePopovers(
            {"http://127.0.0.1:1", "http://localhost:1"}, fakes.browser,
            [] { return std::nullopt; }, std::chrono::milliseconds(5));
        QVERIFY(popovers != nullptr);
        QVERIFY(popovers->makeViewController("code") != nullptr);
        QVERIFY(popovers->makePopover() != nullptr);
    }

    void aBrokenSharedObjectIsReported() {
        QTemporaryDir dir;
        QFile broken(dir.filePath("libquintrel-windows.so"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not an ELF file");
        broken.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Cannot load .*libquintrel-windows"));
        QCOMPARE(loadWindowParts(dir.path()), nullptr);
    }

    // The test executable has no shared object beside it: the factories make nothing.
    void aMissingSharedObjectIsReported() {
        FakePlatform fakes;
        OnDemandSettingsWindows settings(fakes.settingsServices(), [] {});
        OnDemandPopovers popovers({"http://127.0.0.1:1", "http://localhost:1"}, fakes.browser,
                                  [] { return std::nullopt; });
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("No libquintrel-windows.so beside .*: no settings "
                                                "window, no popup"));
        QVERIFY(settings.makeSettingsWindow({}) == nullptr);
        QVERIFY(popovers.makeViewController("code") == nullptr);
        QVERIFY(popovers.makePopover() == nullptr);
    }
};

QTEST_MAIN(WindowPartsTest)
#include "window_parts_test.moc"
