// The settings window with the real binary: a first start without a code opens it, a
// code the service accepts is stored with the switches and polled with, a code it
// refuses stores nothing, and Start at login writes an entry that starts this binary.

#include <QFile>
#include <QProcess>

#include <nlohmann/json.hpp>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

class SettingsTest : public E2eTest {
protected:
    QString x11(const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(session().environment());
        process.start(QStringLiteral("xdotool"), arguments);
        process.waitForFinished(10000);
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // The id of the visible settings window, or empty.
    QString settingsWindow() {
        return x11({"search", "--onlyvisible", "--name", "^Quintrel Configuration$"})
            .section('\n', 0, 0);
    }

    QString autostartEntry() {
        return session().directory() +
               QStringLiteral("/config/autostart/com.quintrel.Companion.desktop");
    }

    QByteArray preferencesFile() {
        QFile file(session().directory() + QStringLiteral("/config/quintrel/preferences.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts without a code and gives the keyboard to the settings window that opens.
    void openWindow() {
        ASSERT_TRUE(session().startPanel());
        ASSERT_TRUE(session().startApp()) << session().app().error();
        QString window;
        ASSERT_TRUE(waitUntil([&] { return !(window = settingsWindow()).isEmpty(); }, kTimeout))
            << "the settings window did not open";
        // No window manager runs: give the window the keyboard directly.
        x11({"windowfocus", "--sync", window});
    }

    // Types `code` into the field that has the focus when the window opens, and saves.
    void typeCodeAndSave(const std::string& code) {
        ASSERT_NO_FATAL_FAILURE(openWindow());
        x11({"type", "--delay", "20", QString::fromStdString(code)});
        x11({"key", "Return"});
    }
};

TEST_F(SettingsTest, AnAcceptedCodeIsStoredWithTheSwitchesAndPolled) {
    session().writePreferences(nlohmann::json::object());
    typeCodeAndSave(kDemoCode);

    nlohmann::json stored;
    ASSERT_TRUE(waitUntil(
        [&] {
            stored = nlohmann::json::parse(preferencesFile().toStdString(), nullptr, false);
            return stored.is_object() && stored.size() == 6;
        },
        kTimeout))
        << preferencesFile().toStdString();
    EXPECT_EQ(stored, (nlohmann::json{{"qnapicode", kDemoCode},
                                      {"qnmode", 0},
                                      {"qnnotify", 1},
                                      {"qnplay", 1},
                                      {"qnkeepalive", 1},
                                      {"qnmute", 1}}));
    EXPECT_TRUE(waitUntil([&] { return settingsWindow().isEmpty(); }, kTimeout))
        << "the window stayed open";
    ASSERT_TRUE(session().waitForRequests(2));  // the check, then the refresh it asks for
    const auto requests = session().standin().requests("/api/chrome.php");
    EXPECT_EQ(requests.front().query, std::string("v=2&code=") + kDemoCode);
    EXPECT_NE(requests.back().query.find("&client=mac&"), std::string::npos);
}

TEST_F(SettingsTest, ARefusedCodeStoresNothingAndSaysCheckAPI) {
    session().writePreferences({{"qnmode", 1}});
    const QByteArray before = preferencesFile();
    typeCodeAndSave("NoSuchCode0123456789abcdefghijklmnop");

    EXPECT_TRUE(session().waitForLabel("Check API"));
    EXPECT_EQ(preferencesFile(), before);
    EXPECT_FALSE(settingsWindow().isEmpty()) << "the window closed on a refused code";
}

TEST_F(SettingsTest, StartAtLoginWritesAnEntryForThisBinaryAndRemovesItAtOnce) {
    session().writePreferences(nlohmann::json::object());
    const QByteArray preferences = preferencesFile();
    ASSERT_NO_FATAL_FAILURE(openWindow());
    // From the code field past the mode and the four other switches.
    for (int i = 0; i < 6; ++i) {
        x11({"key", "Tab"});
    }
    x11({"key", "space"});
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(autostartEntry()); }, kTimeout))
        << "no autostart entry was written";
    QFile entry(autostartEntry());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("\nExec=" QUINTREL_E2E_APP "\n"));

    x11({"key", "space"});
    EXPECT_TRUE(waitUntil([&] { return !QFile::exists(autostartEntry()); }, kTimeout))
        << "the autostart entry stayed";
    EXPECT_EQ(preferencesFile(), preferences) << "the switch went through Save";
}

}  // namespace
}  // namespace quintrel::e2e
