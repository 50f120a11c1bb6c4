// Starting and observing the pieces of an end-to-end session.

#include "Session.h"

#include <unistd.h>

#include <QDBusError>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <cstdlib>
#include <fstream>

namespace quintrel::e2e {
namespace {

// The last double-quoted value after `marker` in `line`, unescaped.
std::optional<std::string> quotedAfter(const std::string& line, const std::string& marker) {
    const auto at = line.find(marker);
    if (at == std::string::npos || at + marker.size() >= line.size() ||
        line[at + marker.size()] != '"') {
        return std::nullopt;
    }
    std::string value;
    for (size_t i = at + marker.size() + 1; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            const char next = line[++i];
            value += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else if (line[i] == '"') {
            return value;
        } else {
            value += line[i];
        }
    }
    return std::nullopt;
}

bool waitForFirstLine(Child& child, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return !child.lines().empty() || !child.running(); }, timeout) &&
           !child.lines().empty();
}

}  // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return condition();
        }
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

Session::Session(const QStringList& standinArgs) {
    if (!dir_.isValid()) {
        error_ = "cannot make a temporary directory";
        return;
    }
    const QString root = dir_.path();
    for (const auto* sub : {"config", "home", "bin"}) {
        QDir(root).mkpath(QString::fromLatin1(sub));
    }
    QDir(root).mkdir(QStringLiteral("runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeFakeBrowser();

    environment_ = QProcessEnvironment::systemEnvironment();
    for (const auto* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP",
          "XDG_SESSION_TYPE", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "SESSION_MANAGER", "BROWSER"}) {
        environment_.remove(QString::fromLatin1(name));
    }
    environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    environment_.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    environment_.insert(QStringLiteral("PATH"), root + QStringLiteral("/bin:") +
                                                    environment_.value(QStringLiteral("PATH")));
    environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment_.insert(QStringLiteral("QT_XCB_GL_INTEGRATION"), QStringLiteral("none"));
    if (startDisplay() && startBus()) {
        startStandin(standinArgs);
    }
}

Session::~Session() {
    app_->stop();
    panel_->stop();
    screenSaver_.reset();
    if (!connectionName_.isEmpty()) {
        QDBusConnection::disconnectFromBus(connectionName_);
    }
    standinProcess_->stop();
    busDaemon_->stop();
    display_->stop();
}

void Session::writeFakeBrowser() {
    const QString path = dir_.path() + QStringLiteral("/bin/xdg-open");
    std::ofstream script(path.toStdString());
    script << "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" << dir_.path().toStdString()
           << "/opened-urls'\n";
    script.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool Session::startDisplay() {
    // -displayfd 1: Xvfb picks a free display and writes its number on standard output.
    if (!display_->start(
            QStringLiteral("Xvfb"),
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
             QStringLiteral("tcp"), QStringLiteral("-noreset")},
            environment_)) {
        error_ = display_->error();
        return false;
    }
    if (!waitForFirstLine(*display_, kTimeout)) {
        error_ = "Xvfb did not report a display\n" + display_->tail();
        return false;
    }
    environment_.insert(QStringLiteral("DISPLAY"),
                        QStringLiteral(":") + QString::fromStdString(display_->lines().front()));
    return true;
}

bool Session::startBus() {
    if (!busDaemon_->start(QStringLiteral("dbus-daemon"),
                           {QStringLiteral("--config-file=" QUINTREL_E2E_BUS_CONFIG),
                            QStringLiteral("--nofork"), QStringLiteral("--print-address=1")},
                           environment_)) {
        error_ = busDaemon_->error();
        return false;
    }
    if (!waitForFirstLine(*busDaemon_, kTimeout)) {
        error_ = "dbus-daemon did not report its address\n" + busDaemon_->tail();
        return false;
    }
    busAddress_ = QString::fromStdString(busDaemon_->lines().front());
    environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress_);
    connectionName_ = QStringLiteral("e2e-%1").arg(reinterpret_cast<quintptr>(this));
    auto connection = QDBusConnection::connectToBus(busAddress_, connectionName_);
    if (!connection.isConnected()) {
        error_ =
            "cannot connect to the private bus: " + connection.lastError().message().toStdString();
        return false;
    }
    screenSaver_ = std::make_unique<FakeScreenSaver>(connection);
    if (!screenSaver_->registered()) {
        error_ = "cannot own org.freedesktop.ScreenSaver on the private bus";
        return false;
    }
    return true;
}

bool Session::startStandin(const QStringList& args) {
    QStringList all{QStringLiteral("--port"), QStringLiteral("0")};
    all += args;
    if (!standinProcess_->start(QStringLiteral(QUINTREL_E2E_STANDIN), all, environment_)) {
        error_ = standinProcess_->error();
        return false;
    }
    if (!waitForFirstLine(*standinProcess_, kTimeout)) {
        error_ = "the stand-in did not start\n" + standinProcess_->tail();
        return false;
    }
    // "quintrel-standin listening on http://127.0.0.1:<port> (...)"
    const auto& line = standinProcess_->lines().front();
    const auto colon = line.find(':', line.find("127.0.0.1"));
    const int port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
    if (port <= 0) {
        error_ = "the stand-in did not say its port\n" + standinProcess_->tail();
        return false;
    }
    standin_.setPort(port);
    environment_.insert(QStringLiteral("QUINTREL_SERVICE_URL"),
                        QString::fromStdString(serviceURL()));
    environment_.insert(QStringLiteral("QUINTREL_WIDGET_URL"), QString::fromStdString(widgetURL()));
    return true;
}

QDBusConnection Session::bus() const {
    return QDBusConnection(connectionName_);
}

void Session::writePreferences(const nlohmann::json& preferences) {
    QDir(dir_.path()).mkpath(QStringLiteral("config/quintrel"));
    std::ofstream((dir_.path() + QStringLiteral("/config/quintrel/preferences.json")).toStdString())
        << preferences.dump();
}

bool Session::startPanel() {
    if (!panel_->start(QStringLiteral(QUINTREL_E2E_PANEL), {QStringLiteral("--report")},
                       environment_)) {
        return false;
    }
    return waitUntil(
               [&] {
                   const auto& lines = panel_->lines();
                   return std::find(lines.begin(), lines.end(), "ready") != lines.end() ||
                          !panel_->running();
               },
               kTimeout) &&
           panel_->running();
}

bool Session::startApp(const QProcessEnvironment& extraEnvironment, const QString& program) {
    auto environment = environment_;
    for (const auto& key : extraEnvironment.keys()) {
        environment.insert(key, extraEnvironment.value(key));
    }
    return app_->start(program.isEmpty() ? QStringLiteral(QUINTREL_E2E_APP) : program, {},
                       environment);
}

std::vector<std::string> Session::labels() {
    std::vector<std::string> result;
    for (const auto& line : panel_->lines()) {
        std::optional<std::string> label;
        if (line.starts_with("signal ")) {
            label = quotedAfter(line, "XAyatanaNewLabel ");
        } else if (line.starts_with("item ")) {
            label = quotedAfter(line, "label=");
        }
        if (label && (result.empty() || result.back() != *label)) {
            result.push_back(*label);
        }
    }
    return result;
}

std::string Session::currentLabel() {
    const auto all = labels();
    return all.empty() ? std::string{} : all.back();
}

std::string Session::lastItemLine() {
    const auto& lines = panel_->lines();
    const auto it = std::find_if(lines.rbegin(), lines.rend(),
                                 [](const std::string& l) { return l.starts_with("item "); });
    return it == lines.rend() ? std::string{} : *it;
}

bool Session::waitForLabel(const std::string& label, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return currentLabel() == label; }, timeout);
}

bool Session::waitForItem(std::chrono::milliseconds timeout) {
    return waitUntil(
        [&] {
            const auto& lines = panel_->lines();
            return std::any_of(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.starts_with("item "); });
        },
        timeout);
}

void Session::panelCommand(const std::string& command) {
    panel_->send(command);
}

bool Session::waitForRequests(size_t count, const std::string& path,
                              std::chrono::milliseconds timeout) {
    return waitUntil([&] { return standin_.requests(path).size() >= count; }, timeout);
}

std::optional<size_t> Session::waitForAppLine(const std::string& text, size_t from,
                                              std::chrono::milliseconds timeout) {
    std::optional<size_t> found;
    waitUntil(
        [&] {
            const auto& lines = app_->lines();
            for (size_t i = from; i < lines.size(); ++i) {
                if (lines[i].find(text) != std::string::npos) {
                    found = i;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

std::vector<std::string> Session::openedUrls() const {
    std::vector<std::string> urls;
    std::ifstream in((dir_.path() + QStringLiteral("/opened-urls")).toStdString());
    for (std::string line; std::getline(in, line);) {
        urls.push_back(line);
    }
    return urls;
}

std::string Session::diagnostics() {
    std::string text;
    for (auto* child : {app_.get(), panel_.get(), standinProcess_.get()}) {
        text += child->tail() + "\n";
    }
    text += "---- stand-in request log\n";
    for (const auto& r : standin_.log()) {
        text += r.method + " " + r.path + "?" + r.query + " -> " + std::to_string(r.status) +
                " (from port " + std::to_string(r.clientPort) + ")\n";
    }
    return text;
}

}  // namespace quintrel::e2e
