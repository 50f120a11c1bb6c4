// The session-bus interface and the command-line actions, against the real app.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

constexpr const char* kNotRunning = "Quintrel Companion is not running";

class RemoteTest : public E2eTest {
protected:
    QDBusConnection bus() {
        return QDBusConnection::connectToBus(environment().value("DBUS_SESSION_BUS_ADDRESS"),
                                             "remote-test");
    }
    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& args = {}) {
        auto message = QDBusMessage::createMethodCall("com.quintrel.Companion",
                                                      "/com/quintrel/Companion", interface, method);
        message.setArguments(args);
        return bus().call(message);
    }
    void startShowing(int count) {
        standin().script(countsReply(count));
        startWithCode();
        ASSERT_TRUE(waitForLabel(std::to_string(count)));
    }
    struct Run {
        std::optional<int> exitCode;
        std::string out;  // standard output, lines joined with "\n"
        std::string err;
    };
    // Runs the build's binary with `arguments` in the session and waits for it to end.
    Run runApp(const QStringList& arguments) {
        Child child("client");
        if (!child.start(appProgram(), arguments, environment())) {
            ADD_FAILURE() << child.error();
            return {};
        }
        waitUntil([&] { return !child.running(); });
        Run run{child.exitCode(), {}, child.standardError()};
        for (const auto& line : child.lines()) {
            run.out += line + "\n";
        }
        return run;
    }
};

TEST_F(RemoteTest, OptionsTheirExitCodesAndOutput) {
    const struct {
        QStringList arguments;
        bool appRunning;
        int exitCode;
        std::string out;  // contained in standard output
        std::string err;  // contained in standard error
    } table[] = {
        {{"--refresh"}, false, 1, "", kNotRunning},
        {{"--dashboard"}, false, 1, "", kNotRunning},
        {{"--check-update"}, false, 1, "", kNotRunning},
        {{"--quit"}, false, 1, "", kNotRunning},
        {{"--status"}, false, 1, "", kNotRunning},
        {{"--watch", "--format", "json"}, false, 1, "", kNotRunning},
        {{"--version"}, false, 0, "quintrel-companion 1.0.0\n", ""},
        {{"--help"}, false, 0, "--watch", ""},
        {{"--frobnicate"}, false, 2, "", "Usage: quintrel-companion"},
        {{"--watch", "--format", "xml"}, false, 2, "", "Unknown format 'xml'"},
        {{"--format", "json"}, false, 2, "", "Usage:"},
        {{"--refresh", "--quit"}, false, 2, "", "Usage:"},
        {{"stray"}, false, 2, "", "Usage:"},
        {{"--status"}, true, 0, "7\n", ""},
        {{"--refresh"}, true, 0, "", ""},
        {{"--dashboard"}, true, 0, "", ""},
        {{"--check-update"}, true, 0, "", ""},
        {{"--frobnicate"}, true, 2, "", "Usage:"},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        if (row.appRunning && !app().running()) {
            ASSERT_NO_FATAL_FAILURE(startShowing(7));
        }
        const Run run = runApp(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
        EXPECT_TRUE(row.exitCode == 0 || run.out.empty()) << run.out;
    }
    EXPECT_TRUE(app().running());
}

TEST_F(RemoteTest, EachMethodReachesItsAction) {
    ASSERT_NO_FATAL_FAILURE(startShowing(7));
    // A title change after a poll arrives as PropertiesChanged.
    PropertiesRecorder recorder;
    ASSERT_TRUE(bus().connect("com.quintrel.Companion", "/com/quintrel/Companion",
                              "org.freedesktop.DBus.Properties", "PropertiesChanged", &recorder,
                              SLOT(changed(QString, QVariantMap, QStringList))));
    standin().script(countsReply(23));
    ASSERT_EQ(call("com.quintrel.Companion1", "Refresh").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitUntil([&] {
        return std::any_of(
            recorder.changes.begin(), recorder.changes.end(),
            [](const QVariantMap& change) { return change.value("Title").toString() == "23"; });
    }));
    const QDBusReply<QVariant> lastError =
        call("org.freedesktop.DBus.Properties", "Get", {"com.quintrel.Companion1", "LastError"});
    EXPECT_EQ(lastError.value().toString(), "None");

    ASSERT_EQ(call("com.quintrel.Companion1", "CheckForUpdates").type(),
              QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitUntil([&] { return opened(serviceURL() + "/plugin/?type=mac&v=1.0.0"); }));

    ASSERT_EQ(call("com.quintrel.Companion1", "Quit").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitUntil([&] { return !app().running(); }));
    EXPECT_EQ(app().exitCode(), 0);
}

TEST_F(RemoteTest, WaybarWatchFollowsTwoPolls) {
    ASSERT_NO_FATAL_FAILURE(startShowing(31));
    Child watch("watch");
    ASSERT_TRUE(watch.start(appProgram(), {"--watch", "--format", "waybar"}, environment()));
    std::vector<std::string> texts;
    auto seen = [&](const std::string& text) {
        texts.clear();
        for (const auto& line : watch.lines()) {
            const auto object = nlohmann::json::parse(line, nullptr, false);
            if (!object.is_object() || !object["text"].is_string() ||
                !object["tooltip"].is_string() || !object["class"].is_string()) {
                ADD_FAILURE() << "not a waybar object: " << line;
                return true;
            }
            texts.push_back(object["text"]);
        }
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    ASSERT_TRUE(waitUntil([&] { return seen("31"); }));
    EXPECT_NE(watch.lines().front().find(R"("tooltip":"Last checked: )"), std::string::npos);
    standin().script(countsReply(32));
    ASSERT_EQ(runApp({"--refresh"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return seen("32"); }));
    EXPECT_EQ(texts.front(), "31");

    // The app's departure ends the watch.
    ASSERT_EQ(runApp({"--quit"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return !watch.running(); }));
    EXPECT_EQ(watch.exitCode(), 0);
}

TEST_F(RemoteTest, TwoPopupCallsLeaveOneAppPolling) {
    writePreferences({{"qnapicode", kDemoCode}});
    ASSERT_TRUE(startPanel());
    Child first("first");
    ASSERT_TRUE(first.start(appProgram(), {"--popup"}, environment()));
    ASSERT_TRUE(waitForRequests(1));
    const Run second = runApp({"--popup"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(second.out.empty()) << second.out;
    // A second poller would have polled at its start.
    waitUntil([] { return false; }, 2s);
    EXPECT_EQ(standin().requests(kPoll).size(), 1u);
}

}  // namespace
}  // namespace quintrel::e2e
