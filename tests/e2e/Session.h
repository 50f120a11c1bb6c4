#pragma once
// One end-to-end session: Xvfb, a private session bus, the stand-in of the service, and
// on demand the tray panel and the real app, all in a fresh temporary directory. Each
// session's stand-in listens on a free port of its own, so sessions run side by side.

#include <QDBusConnection>
#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Child.h"
#include "FakeScreenSaver.h"
#include "StandinClient.h"

namespace quintrel::e2e {

using namespace std::chrono_literals;

// Generous: the machine running the tests is shared and noisy.
inline constexpr std::chrono::milliseconds kTimeout = 20s;

// The API code the stand-in accepts.
inline constexpr const char* kDemoCode = "QuintrelDemo2026standinCode0123456789";

// Runs the event loop until `condition` holds or `timeout` passes; answers the condition.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

class Session {
public:
    // Starts Xvfb, the private bus and the stand-in. Check `ok()`; `error()` says why not.
    // `standinArgs` are added to the stand-in's command line.
    explicit Session(const QStringList& standinArgs = {"--notify-every", "0"});
    ~Session();

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // Writes $XDG_CONFIG_HOME/quintrel/preferences.json.
    void writePreferences(const nlohmann::json& preferences);
    // Starts the minimal panel (the StatusNotifierWatcher) and waits until it is ready.
    bool startPanel();
    // Starts quintrel-companion: the build's, or `program` (e.g. an installed copy).
    // `extraEnvironment` is added to its environment.
    bool startApp(const QProcessEnvironment& extraEnvironment = {}, const QString& program = {});

    Child& app() { return *app_; }
    Child& panel() { return *panel_; }
    StandinClient& standin() { return standin_; }
    // The stand-in's port, and the two hosts the app is pointed at: the service on
    // 127.0.0.1, the widget host under another name (localhost) on the same port.
    int port() const { return standin_.port(); }
    std::string serviceURL() const { return "http://127.0.0.1:" + std::to_string(port()); }
    std::string widgetURL() const { return "http://localhost:" + std::to_string(port()); }
    FakeScreenSaver& screenSaver() { return *screenSaver_; }
    QDBusConnection bus() const;

    // Every label the panel has seen, in order, repeats folded.
    std::vector<std::string> labels();
    std::string currentLabel();
    bool waitForLabel(const std::string& label, std::chrono::milliseconds timeout = kTimeout);
    // The panel's last "item <key> label=... tooltip=... icon=WxH ..." line, or "".
    std::string lastItemLine();
    // Waits until the panel reports an item (registered and read).
    bool waitForItem(std::chrono::milliseconds timeout = kTimeout);
    // Sends a panel command such as "click 10 10" or "context 10 10".
    void panelCommand(const std::string& command);

    bool waitForRequests(size_t count, const std::string& path = "/api/chrome.php",
                         std::chrono::milliseconds timeout = kTimeout);
    // Waits for a line of the app's standard output that contains `text`; answers its
    // index in `app().lines()`, or none.
    std::optional<size_t> waitForAppLine(const std::string& text, size_t from = 0,
                                         std::chrono::milliseconds timeout = kTimeout);

    // URLs the app handed to the (fake) browser, in order.
    std::vector<std::string> openedUrls() const;

    // Standard output and error of every process, for a failure report.
    std::string diagnostics();
    QString directory() const { return dir_.path(); }
    QProcessEnvironment environment() const { return environment_; }

private:
    bool startDisplay();
    bool startBus();
    bool startStandin(const QStringList& args);
    void writeFakeBrowser();

    QTemporaryDir dir_;
    std::string error_;
    QProcessEnvironment environment_;
    QString busAddress_;
    QString connectionName_;
    std::unique_ptr<Child> display_ = std::make_unique<Child>("Xvfb");
    std::unique_ptr<Child> busDaemon_ = std::make_unique<Child>("dbus-daemon");
    std::unique_ptr<Child> standinProcess_ = std::make_unique<Child>("quintrel-standin");
    std::unique_ptr<Child> panel_ = std::make_unique<Child>("quintrel-panel");
    std::unique_ptr<Child> app_ = std::make_unique<Child>("quintrel-companion");
    std::unique_ptr<FakeScreenSaver> screenSaver_;
    StandinClient standin_;
};

}  // namespace quintrel::e2e
