// The settings window with the real binary: a first start without a code opens it, and a
// code the service accepts is stored with the switches and polled with. A refused code is
// the save flow's unit table, Start at login the settings window's widget test and the
// autostart unit test.

#include <QFile>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

class SettingsTest : public E2eTest {
protected:
    QString preferences() {
        QFile file(directory() + "/config/quintrel/preferences.json");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Starts without a code and gives the keyboard to the settings window that opens.
    void openWindow() {
        ASSERT_TRUE(startPanel());
        ASSERT_TRUE(startApp()) << app().error();
        QString id;
        ASSERT_TRUE(waitUntil([&] { return !(id = window("Quintrel Configuration")).isEmpty(); }))
            << "the settings window did not open";
        // No window manager runs: give the window the keyboard directly.
        x11("xdotool", {"windowfocus", "--sync", id});
    }
    // Types into the field that has the focus when the window opens, or presses keys.
    void type(const std::string& text) {
        x11("xdotool", {"type", "--delay", "20", QString::fromStdString(text)});
    }
    void key(const QString& name) { x11("xdotool", {"key", name}); }
};

TEST_F(SettingsTest, AnAcceptedCodeIsStoredWithTheSwitchesAndPolled) {
    writePreferences(nlohmann::json::object());
    ASSERT_NO_FATAL_FAILURE(openWindow());
    type(kDemoCode);
    key("Return");
    nlohmann::json stored;
    ASSERT_TRUE(waitUntil([&] {
        stored = nlohmann::json::parse(preferences().toStdString(), nullptr, false);
        return stored.is_object() && stored.size() == 6;
    })) << preferences().toStdString();
    EXPECT_EQ(stored["qnapicode"], kDemoCode);  // the switches' values are the save flow's
    EXPECT_TRUE(waitUntil([&] { return window("Quintrel Configuration").isEmpty(); }))
        << "the window stayed open";
    ASSERT_TRUE(waitForRequests(2));  // the check, then the refresh it asks for
    EXPECT_EQ(standin().requests(kPoll).front().query, std::string("v=2&code=") + kDemoCode);
}

}  // namespace
}  // namespace quintrel::e2e
