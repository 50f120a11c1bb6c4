// The settings window opens on a first start; a code the service accepts is stored and polled.

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

    void openWindow() {
        ASSERT_TRUE(startPanel());
        ASSERT_TRUE(startApp()) << app().error();
        QString id;
        ASSERT_TRUE(waitUntil([&] { return !(id = window("Quintrel Configuration")).isEmpty(); }))
            << "the settings window did not open";
        x11("xdotool", {"windowfocus", "--sync", id});  // no window manager gives it the keys
    }
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
    EXPECT_EQ(stored["qnapicode"], kDemoCode);
    EXPECT_TRUE(waitUntil([&] { return window("Quintrel Configuration").isEmpty(); }))
        << "the window stayed open";
    ASSERT_TRUE(waitForRequests(2));  // the check, then the refresh it asks for
    EXPECT_EQ(standin().requests(kPoll).front().query, std::string("v=2&code=") + kDemoCode);
}

}  // namespace
}  // namespace quintrel::e2e
