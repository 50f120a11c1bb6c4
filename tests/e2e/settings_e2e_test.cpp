// The settings window with the real binary: a first start without a code opens it, a
// code the service accepts is stored with the switches and polled with, a code it
// refuses stores nothing.

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

    QByteArray preferencesFile() {
        QFile file(session().directory() + QStringLiteral("/config/quintrel/preferences.json"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Starts without a code, waits for the window and types `code` into its focused field.
    void typeCodeAndSave(const std::string& code) {
        ASSERT_TRUE(session().startPanel());
        ASSERT_TRUE(session().startApp()) << session().app().error();
        QString window;
        ASSERT_TRUE(waitUntil([&] { return !(window = settingsWindow()).isEmpty(); }, kTimeout))
            << "the settings window did not open";
        // No window manager runs: give the window the keyboard directly.
        x11({"windowfocus", "--sync", window});
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

}  // namespace
}  // namespace quintrel::e2e
