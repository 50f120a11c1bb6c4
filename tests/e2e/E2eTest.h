#pragma once
// The end-to-end harness: child processes, the stand-in's control side, one session per test.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "FakeNotificationServer.h"
#include "FakeScreenSaver.h"

namespace quintrel::e2e {

using namespace std::chrono_literals;

// Generous, on a shared machine; loading the web engine the first time is slower still.
inline constexpr std::chrono::milliseconds kTimeout = 20s;
inline constexpr std::chrono::milliseconds kWebTimeout = 60s;
inline constexpr const char* kDemoCode = "QuintrelDemo2026standinCode0123456789";
inline const std::string kPoll = "/api/chrome.php";

// Runs the event loop until `condition` holds or `timeout` passes; answers the condition.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = kTimeout) {
    return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}
// A scripted poll reply with this count (online and page views) and no notification.
nlohmann::json countsReply(int count, int times = 1);
QString appProgram();  // the build's quintrel-companion
// An environment with the test build's poll interval shortened to `pollMs`.
QProcessEnvironment shortPoll(int pollMs);

// A child process, its standard output kept line by line and its standard error whole.
class Child {
public:
    explicit Child(std::string name) : name_(std::move(name)) {}
    ~Child() { stop(); }

    // False, with the reason in `error()`, when the program could not be started.
    bool start(const QString& program, const QStringList& args,
               const QProcessEnvironment& environment);
    void stop();  // SIGTERM, then SIGKILL after a grace period
    bool running() const { return process_.state() != QProcess::NotRunning; }
    qint64 pid() const { return process_.processId(); }  // 0 when not running
    void send(const std::string& line) {
        process_.write((line + "\n").c_str());
        process_.waitForBytesWritten(1000);
    }
    const std::vector<std::string>& lines() {
        readOutput();
        return lines_;
    }
    const std::string& standardError() const { return stderr_; }
    bool saidOnStandardError(const std::string& text) const {
        return stderr_.find(text) != std::string::npos;
    }
    std::string error() const { return error_; }
    std::optional<int> exitCode() const {  // none while running or after a crash
        return running() || process_.exitStatus() != QProcess::NormalExit
                   ? std::nullopt
                   : std::optional(process_.exitCode());
    }
    std::string tail(size_t count = 40);  // for a failure report

private:
    void readOutput();

    std::string name_;
    QProcess process_;
    std::string partial_;
    std::vector<std::string> lines_;
    std::string stderr_;
    std::string error_;
};

struct LoggedRequest {
    std::string method;
    std::string path;
    std::string query;  // raw, items in the order sent
    int status;         // 0 while pending or when the connection was dropped
    std::string body;
    std::optional<std::string> queryValue(const std::string& name) const;  // percent-decoded
};

// The stand-in's control and log endpoints.
struct StandinClient {
    int port = 0;
    // Queues a scripted reply (`quintrel-standin --help`); false when it was refused.
    bool script(const nlohmann::json& reply);
    std::vector<LoggedRequest> log() const;
    std::vector<LoggedRequest> requests(const std::string& path) const;
};

// A fresh session per test in a temporary directory: Xvfb, a private bus, the stand-in on a
// port of its own, on demand the panel and the app. On a failure, all their output is printed.
class E2eTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual QStringList standinArguments() const { return {"--notify-every", "0"}; }

    void writePreferences(const nlohmann::json& preferences);
    bool startPanel();  // the minimal panel, ready to take an item
    // The build's quintrel-companion or `program`, with `extra` added to its environment.
    bool startApp(const QProcessEnvironment& extra = {}, const QString& program = {});

    Child& app() { return *app_; }
    Child& panel() { return *panel_; }
    StandinClient& standin() { return standin_; }
    FakeScreenSaver& screenSaver() { return *screenSaver_; }
    // The service on 127.0.0.1, the widget host under another name on the same port.
    std::string serviceURL() const { return "http://127.0.0.1:" + std::to_string(standin_.port); }
    std::string widgetURL() const { return "http://localhost:" + std::to_string(standin_.port); }
    QString directory() const { return dir_.path(); }
    QProcessEnvironment environment() const { return environment_; }

    // Every label the panel has seen, in order, repeats folded.
    std::vector<std::string> labels();
    bool waitForLabel(const std::string& label, std::chrono::milliseconds timeout = kTimeout);
    // Waits for a panel line from `from` on that passes `matches`.
    bool waitForPanelLine(const std::function<bool(const std::string&)>& matches, size_t from = 0);
    void panelCommand(const std::string& command) { panel_->send(command); }

    bool waitForRequests(size_t count, const std::string& path = kPoll,
                         std::chrono::milliseconds timeout = kTimeout);
    // The index in `app().lines()` of the first line from `from` on containing `text`.
    std::optional<size_t> waitForAppLine(const std::string& text, size_t from = 0,
                                         std::chrono::milliseconds timeout = kTimeout);

    // URLs the app handed to the fake browser, in order; whether one starts with `prefix`.
    std::vector<std::string> openedUrls() const;
    bool opened(const std::string& prefix) const;

    // Runs an X client on the session's display; answers its standard output.
    QString x11(const QString& program, const QStringList& arguments);
    // The id of the visible window of that title, or empty.
    QString window(const QString& title);

    // Stores the demo code with `preferences`, starts the panel, then the app (the build's or
    // `program`) with `extra` in its environment.
    void startWithCode(const QProcessEnvironment& extra = {},
                       const nlohmann::json& preferences = nlohmann::json::object(),
                       const QString& program = {});
    // Waits until the first poll has been answered and answers it.
    LoggedRequest firstAnsweredPoll();
    // The pid of a child of the app whose executable's path passes `matches`, or 0.
    qint64 appChild(const std::function<bool(const QString& executable)>& matches);
    // Whether the app's process has mapped a file whose path contains `name`.
    bool appMaps(const QString& name);

    // A notification server on the session's bus, until the test ends or it is stopped.
    fakes::FakeNotificationServer& startNotificationServer();
    void stopNotificationServer();
    fakes::FakeNotificationServer& notificationServer() { return *notificationServer_; }

private:
    void startSession();  // leaves the reason in `error_` when a piece did not start
    void stopSession();
    bool ok() const { return error_.empty(); }
    QString firstLine(Child& child, const QString& program, const QStringList& args);
    std::string diagnostics();

    QTemporaryDir dir_;
    std::string error_;
    QProcessEnvironment environment_;
    QString connectionName_;
    std::unique_ptr<Child> display_ = std::make_unique<Child>("Xvfb");
    std::unique_ptr<Child> busDaemon_ = std::make_unique<Child>("dbus-daemon");
    std::unique_ptr<Child> standinProcess_ = std::make_unique<Child>("quintrel-standin");
    std::unique_ptr<Child> panel_ = std::make_unique<Child>("quintrel-panel");
    std::unique_ptr<Child> app_ = std::make_unique<Child>("quintrel-companion");
    std::unique_ptr<FakeScreenSaver> screenSaver_;
    StandinClient standin_;
    std::unique_ptr<fakes::FakeNotificationServer> notificationServer_;
};

}  // namespace quintrel::e2e
