// The session-bus interface and the command-line actions, against the real app.

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

#include <nlohmann/json.hpp>

#include "E2eTest.h"
#include "PropertiesRecorder.h"

namespace quintrel::e2e {
namespace {

using namespace std::chrono_literals;

constexpr const char* kPoll = "/api/chrome.php";
constexpr const char* kNotRunning = "Quintrel Companion is not running";

std::string pollBody(int online) {
    return R"({"online":)" + std::to_string(online) + R"(,"pv":1,"notify":0})";
}

class RemoteTest : public E2eTest {
protected:
    struct Run {
        std::optional<int> exitCode;
        std::string out;
        std::string err;
    };

    // Runs the executable with `arguments` in the session and waits for it to end.
    Run client(const QStringList& arguments) {
        Child child("client");
        if (!child.start(QStringLiteral(QUINTREL_E2E_APP), arguments, session().environment())) {
            ADD_FAILURE() << child.error();
            return {};
        }
        waitUntil([&] { return !child.running(); }, kTimeout);
        Run run{child.exitCode(), {}, child.standardError()};
        for (const auto& line : child.lines()) {
            run.out += line + "\n";
        }
        return run;
    }

    QDBusConnection bus() {
        return QDBusConnection::connectToBus(
            session().environment().value("DBUS_SESSION_BUS_ADDRESS"), "remote-test");
    }

    QDBusMessage callApp(const QString& method) {
        return bus().call(QDBusMessage::createMethodCall("com.quintrel.Companion",
                                                         "/com/quintrel/Companion",
                                                         "com.quintrel.Companion1", method));
    }
};

TEST_F(RemoteTest, OptionsTheirExitCodesAndOutput) {
    struct Row {
        QStringList arguments;
        bool appRunning;
        int exitCode;
        std::string out;  // contained in standard output
        std::string err;  // contained in standard error
    };
    const std::vector<Row> table{
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
    bool started = false;
    for (const auto& row : table) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        if (row.appRunning && !started) {
            session().standin().script({{"path", kPoll}, {"body", pollBody(7)}});
            startWithCode();
            ASSERT_TRUE(session().waitForLabel("7"));
            started = true;
        }
        const Run run = client(row.arguments);
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_NE(run.out.find(row.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
        if (row.exitCode != 0) {
            EXPECT_TRUE(run.out.empty()) << run.out;
        }
    }
    EXPECT_TRUE(session().app().running());
}

TEST_F(RemoteTest, EachMethodReachesItsAction) {
    session().standin().script({{"path", kPoll}, {"body", pollBody(7)}});
    startWithCode();
    firstAnsweredPoll();
    ASSERT_TRUE(session().waitForLabel("7"));

    // A title change after a poll arrives as PropertiesChanged.
    PropertiesRecorder recorder;
    const auto& changes = recorder.changes;
    auto connection = bus();
    ASSERT_TRUE(connection.connect("com.quintrel.Companion", "/com/quintrel/Companion",
                                   "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                   &recorder, SLOT(changed(QString, QVariantMap, QStringList))));
    session().standin().script({{"path", kPoll}, {"body", pollBody(23)}});
    ASSERT_EQ(callApp("Refresh").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(session().waitForRequests(2, kPoll));
    ASSERT_TRUE(waitUntil(
        [&] {
            return std::any_of(changes.begin(), changes.end(), [](const QVariantMap& change) {
                return change.value("Title").toString() == "23";
            });
        },
        kTimeout));
    const QDBusReply<QVariant> refreshing = connection.call(
        QDBusMessage::createMethodCall("com.quintrel.Companion", "/com/quintrel/Companion",
                                       "org.freedesktop.DBus.Properties", "Get")
        << QString("com.quintrel.Companion1") << QString("LastError"));
    EXPECT_EQ(refreshing.value().toString(), "None");

    ASSERT_EQ(callApp("CheckForUpdates").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto urls = session().openedUrls();
            return std::find(urls.begin(), urls.end(),
                             session().serviceURL() + "/plugin/?type=mac&v=1.0.0") != urls.end();
        },
        kTimeout));

    ASSERT_EQ(callApp("Quit").type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitUntil([&] { return !session().app().running(); }, kTimeout));
    EXPECT_EQ(session().app().exitCode(), 0);
}

TEST_F(RemoteTest, WaybarWatchFollowsTwoPolls) {
    session().standin().script({{"path", kPoll}, {"body", pollBody(31)}});
    startWithCode();
    ASSERT_TRUE(session().waitForLabel("31"));
    Child watch("watch");
    ASSERT_TRUE(watch.start(QStringLiteral(QUINTREL_E2E_APP), {"--watch", "--format", "waybar"},
                            session().environment()));
    std::vector<std::string> texts;
    auto seen = [&](const std::string& text) {
        texts.clear();
        for (const auto& line : watch.lines()) {
            const auto object = nlohmann::json::parse(line, nullptr, false);
            if (object.is_discarded() || !object.is_object() || !object["text"].is_string() ||
                !object["tooltip"].is_string() || !object["class"].is_string()) {
                ADD_FAILURE() << "not a waybar object: " << line;
                return true;
            }
            texts.push_back(object["text"]);
        }
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    ASSERT_TRUE(waitUntil([&] { return seen("31"); }, kTimeout));
    EXPECT_NE(watch.lines().front().find(R"("tooltip":"Last checked: )"), std::string::npos);
    session().standin().script({{"path", kPoll}, {"body", pollBody(32)}});
    ASSERT_EQ(client({"--refresh"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return seen("32"); }, kTimeout));
    EXPECT_EQ(texts.front(), "31");

    // The app's departure ends the watch.
    ASSERT_EQ(client({"--quit"}).exitCode, 0);
    ASSERT_TRUE(waitUntil([&] { return !watch.running(); }, kTimeout));
    EXPECT_EQ(watch.exitCode(), 0);
}

TEST_F(RemoteTest, TwoPopupCallsLeaveOneAppPolling) {
    session().writePreferences({{"qnapicode", kDemoCode}});
    ASSERT_TRUE(session().startPanel());
    Child first("first");
    ASSERT_TRUE(
        first.start(QStringLiteral(QUINTREL_E2E_APP), {"--popup"}, session().environment()));
    ASSERT_TRUE(session().waitForRequests(1, kPoll));
    const Run second = client({"--popup"});
    EXPECT_EQ(second.exitCode, 0) << second.err;
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(second.out.empty()) << second.out;
    // A second poller would have polled at its start.
    waitUntil([] { return false; }, 2s);
    EXPECT_EQ(session().standin().requests(kPoll).size(), 1u);
    first.stop();
}

}  // namespace
}  // namespace quintrel::e2e
