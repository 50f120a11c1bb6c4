// The end-to-end harness: starting, observing and stopping the pieces of a session.

#include "E2eTest.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QDBusError>
#include <QDBusMessage>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>

namespace quintrel::e2e {
namespace {

// The double-quoted value right after `marker` in `line`.
std::optional<std::string> quotedAfter(const std::string& line, const std::string& marker) {
    std::smatch match;
    if (!std::regex_search(line, match, std::regex(marker + R"re("((?:[^"\\]|\\.)*)")re"))) {
        return std::nullopt;
    }
    return std::regex_replace(match[1].str(), std::regex(R"(\\(.))"), "$1");
}

// The items of a query in order; the tests' values need no decoding.
std::vector<std::pair<std::string, std::string>> queryItems(const std::string& query) {
    std::vector<std::pair<std::string, std::string>> result;
    std::stringstream stream(query);
    for (std::string part; std::getline(stream, part, '&');) {
        const auto eq = part.find('=');
        result.emplace_back(part.substr(0, eq), eq == std::string::npos ? "" : part.substr(eq + 1));
    }
    return result;
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

long residentKiB(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmRSS:")) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

nlohmann::json countsReply(int count, int times) {
    return {{"path", kPoll},
            {"body", nlohmann::json{{"online", count}, {"pv", count}, {"notify", 0}}.dump()},
            {"count", times}};
}

QString appProgram() {
    return QStringLiteral(QUINTREL_E2E_APP);
}

QProcessEnvironment shortPoll(int pollMs) {
    QProcessEnvironment environment;
    environment.insert("QUINTREL_TEST_POLL_INTERVAL_MS", QString::number(pollMs));
    return environment;
}

// ---- Child

bool Child::start(const QString& program, const QStringList& args,
                  const QProcessEnvironment& environment) {
    process_.setProcessEnvironment(environment);
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] { readOutput(); });
    QObject::connect(&process_, &QProcess::readyReadStandardError,
                     [this] { stderr_ += process_.readAllStandardError().toStdString(); });
    process_.start(program, args);
    if (!process_.waitForStarted(10000)) {
        error_ = name_ + ": cannot start " + program.toStdString() + ": " +
                 process_.errorString().toStdString();
        return false;
    }
    return true;
}

void Child::stop() {
    if (!running()) {
        return;
    }
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    readOutput();
}

void Child::send(const std::string& line) {
    process_.write((line + "\n").c_str());
    process_.waitForBytesWritten(1000);
}

void Child::readOutput() {
    if (!process_.isOpen()) {
        return;
    }
    partial_ += process_.readAllStandardOutput().toStdString();
    for (auto end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n')) {
        lines_.push_back(partial_.substr(0, end));
        partial_.erase(0, end + 1);
    }
}

const std::vector<std::string>& Child::lines() {
    readOutput();
    return lines_;
}

std::optional<int> Child::exitCode() const {
    if (running() || process_.exitStatus() != QProcess::NormalExit) {
        return std::nullopt;
    }
    return process_.exitCode();
}

std::string Child::tail(size_t count) {
    if (running()) {
        process_.waitForReadyRead(100);  // what is still in the pipes
    }
    std::string text = "---- " + name_ + " standard output (last lines)\n";
    const auto& all = lines();
    for (size_t i = all.size() > count ? all.size() - count : 0; i < all.size(); ++i) {
        text += all[i] + "\n";
    }
    text += partial_.empty() ? "" : partial_ + "\n";
    const auto err =
        stderr_.size() > 4000 ? "..." + stderr_.substr(stderr_.size() - 4000) : stderr_;
    return text + "---- " + name_ + " standard error\n" + err;
}

// ---- the stand-in's control side

std::vector<std::string> LoggedRequest::queryNames() const {
    std::vector<std::string> names;
    for (const auto& item : queryItems(query)) {
        names.push_back(item.first);
    }
    return names;
}

std::optional<std::string> LoggedRequest::queryValue(const std::string& name) const {
    for (const auto& [key, value] : queryItems(query)) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

bool StandinClient::script(const nlohmann::json& reply) {
    const auto result = httplib::Client("127.0.0.1", port_)
                            .Post("/__control/next", reply.dump(), "application/json");
    return result && result->status == 200;
}

std::vector<LoggedRequest> StandinClient::log() const {
    const auto result = httplib::Client("127.0.0.1", port_).Get("/__log");
    std::vector<LoggedRequest> entries;
    const auto json = result && result->status == 200
                          ? nlohmann::json::parse(result->body, nullptr, false)
                          : nlohmann::json();
    for (const auto& e : json.is_array() ? json : nlohmann::json::array()) {
        entries.push_back({e.value("method", ""), e.value("path", ""), e.value("query", ""),
                           e.value("time", 0.0), e.value("status", 0), e.value("body", "")});
    }
    return entries;
}

std::vector<LoggedRequest> StandinClient::requests(const std::string& path) const {
    auto all = log();
    std::erase_if(all, [&](const LoggedRequest& r) { return r.path != path; });
    return all;
}

void StandinClient::reset() {
    httplib::Client("127.0.0.1", port_).Post("/__reset", "", "application/json");
}

// ---- the fake screen saver

FakeScreenSaver::FakeScreenSaver(QDBusConnection bus) : bus_(bus) {
    registered_ =
        bus_.registerObject("/org/freedesktop/ScreenSaver", this,
                            QDBusConnection::ExportScriptableContents) &&
        bus_.registerObject("/ScreenSaver", this, QDBusConnection::ExportScriptableContents) &&
        bus_.registerService("org.freedesktop.ScreenSaver");
}

void FakeScreenSaver::setActive(bool active) {
    active_ = active;
    auto signal = QDBusMessage::createSignal("/org/freedesktop/ScreenSaver",
                                             "org.freedesktop.ScreenSaver", "ActiveChanged");
    signal << active;
    bus_.send(signal);
}

// ---- Session

Session::Session(const QStringList& standinArgs) {
    if (!dir_.isValid()) {
        error_ = "cannot make a temporary directory";
        return;
    }
    const QString root = dir_.path();
    for (const auto* sub : {"config", "home", "bin"}) {
        QDir(root).mkpath(sub);
    }
    QDir(root).mkdir("runtime");
    QFile::setPermissions(root + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The fake browser records what it is given.
    std::ofstream(root.toStdString() + "/bin/xdg-open")
        << "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" << root.toStdString() << "/opened-urls'\n";
    QFile::setPermissions(root + "/bin/xdg-open",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    environment_ = QProcessEnvironment::systemEnvironment();
    for (const auto* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP",
          "XDG_SESSION_TYPE", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "SESSION_MANAGER", "BROWSER"}) {
        environment_.remove(name);
    }
    environment_.insert("XDG_CONFIG_HOME", root + "/config");
    environment_.insert("XDG_RUNTIME_DIR", root + "/runtime");
    environment_.insert("HOME", root + "/home");
    environment_.insert("PATH", root + "/bin:" + environment_.value("PATH"));
    environment_.insert("QT_QPA_PLATFORM", "xcb");
    environment_.insert("QT_XCB_GL_INTEGRATION", "none");

    // -displayfd 1: Xvfb picks a free display and writes its number on standard output.
    const auto display = firstLine(
        *display_, "Xvfb",
        {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"});
    if (!display) {
        return;
    }
    environment_.insert("DISPLAY", ":" + QString::fromStdString(*display));
    const auto address =
        firstLine(*busDaemon_, "dbus-daemon",
                  {"--config-file=" QUINTREL_E2E_BUS_CONFIG, "--nofork", "--print-address=1"});
    if (!address) {
        return;
    }
    environment_.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString(*address));
    connectionName_ = QStringLiteral("e2e-%1").arg(reinterpret_cast<quintptr>(this));
    auto connection =
        QDBusConnection::connectToBus(QString::fromStdString(*address), connectionName_);
    screenSaver_ = std::make_unique<FakeScreenSaver>(connection);
    if (!screenSaver_->registered()) {
        error_ = "cannot own org.freedesktop.ScreenSaver on the private bus: " +
                 connection.lastError().message().toStdString();
        return;
    }
    // "quintrel-standin listening on http://127.0.0.1:<port> (...)"
    const auto listening =
        firstLine(*standinProcess_, QUINTREL_E2E_STANDIN, QStringList{"--port", "0"} + standinArgs);
    std::smatch match;
    if (!listening || !std::regex_search(*listening, match, std::regex(R"(127\.0\.0\.1:(\d+))"))) {
        error_ = error_.empty() ? "the stand-in did not say its port\n" + standinProcess_->tail()
                                : error_;
        return;
    }
    standin_.setPort(std::stoi(match[1]));
    environment_.insert("QUINTREL_SERVICE_URL", QString::fromStdString(serviceURL()));
    environment_.insert("QUINTREL_WIDGET_URL", QString::fromStdString(widgetURL()));
}

std::optional<std::string> Session::firstLine(Child& child, const QString& program,
                                              const QStringList& args) {
    if (!child.start(program, args, environment_)) {
        error_ = child.error();
        return std::nullopt;
    }
    if (!waitUntil([&] { return !child.lines().empty() || !child.running(); }) ||
        child.lines().empty()) {
        error_ = program.toStdString() + " did not report how to reach it\n" + child.tail();
        return std::nullopt;
    }
    return child.lines().front();
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

void Session::writePreferences(const nlohmann::json& preferences) {
    QDir(dir_.path()).mkpath("config/quintrel");
    std::ofstream((dir_.path() + "/config/quintrel/preferences.json").toStdString())
        << preferences.dump();
}

bool Session::startPanel() {
    const size_t from = panel_->lines().size();  // a restarted panel says so again
    if (!panel_->start(QUINTREL_E2E_PANEL, {"--report"}, environment_)) {
        return false;
    }
    return waitForPanelLine(
               [&](const std::string& l) { return l == "ready" || !panel_->running(); }, from) &&
           panel_->running();
}

bool Session::startApp(const QProcessEnvironment& extra, const QString& program) {
    auto environment = environment_;
    environment.insert(extra);
    return app_->start(program.isEmpty() ? appProgram() : program, {}, environment);
}

std::vector<std::string> Session::labels() {
    std::vector<std::string> result;
    for (const auto& line : panel_->lines()) {
        const auto label = line.starts_with("signal ") ? quotedAfter(line, "XAyatanaNewLabel ")
                           : line.starts_with("item ") ? quotedAfter(line, "label=")
                                                       : std::nullopt;
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

bool Session::waitForLabel(const std::string& label, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return currentLabel() == label; }, timeout);
}

bool Session::waitForPanelLine(const std::function<bool(const std::string&)>& matches,
                               size_t from) {
    return waitUntil([&] {
        const auto& lines = panel_->lines();
        return std::any_of(
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end(),
            matches);
    });
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
            for (size_t i = from; i < lines.size() && !found; ++i) {
                found = lines[i].find(text) != std::string::npos ? std::optional(i) : std::nullopt;
            }
            return found.has_value();
        },
        timeout);
    return found;
}

std::vector<std::string> Session::openedUrls() const {
    std::vector<std::string> urls;
    std::ifstream in((dir_.path() + "/opened-urls").toStdString());
    for (std::string line; std::getline(in, line);) {
        urls.push_back(line);
    }
    return urls;
}

bool Session::opened(const std::string& prefix) const {
    const auto urls = openedUrls();
    return std::any_of(urls.begin(), urls.end(),
                       [&](const std::string& url) { return url.starts_with(prefix); });
}

QString Session::x11(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString Session::window(const QString& title) {
    return x11("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
        .section('\n', 0, 0);
}

std::string Session::diagnostics() {
    std::string text;
    for (auto* child : {app_.get(), panel_.get(), standinProcess_.get()}) {
        text += child->tail() + "\n";
    }
    text += "---- stand-in request log\n";
    for (const auto& r : standin_.log()) {
        text += r.method + " " + r.path + "?" + r.query + " -> " + std::to_string(r.status) + "\n";
    }
    return text;
}

// ---- the fixture

namespace {
constexpr const char* kNotificationServerConnection = "e2e-notification-server";
}

void E2eTest::SetUp() {
    session_ = std::make_unique<Session>(standinArguments());
    ASSERT_TRUE(session_->ok()) << session_->error();
}

void E2eTest::TearDown() {
    stopNotificationServer();
    if (HasFailure() && session_) {
        std::cout << session_->diagnostics() << std::flush;
    }
    session_.reset();
}

void E2eTest::startWithCode(const QProcessEnvironment& extra) {
    session().writePreferences({{"qnapicode", kDemoCode}});
    ASSERT_TRUE(session().startPanel()) << "the panel did not start";
    ASSERT_TRUE(session().startApp(extra)) << session().app().error();
}

LoggedRequest E2eTest::firstAnsweredPoll() {
    std::optional<LoggedRequest> poll;
    waitUntil([&] {
        const auto polls = session().standin().requests(kPoll);
        if (!polls.empty() && polls.front().status != 0) {
            poll = polls.front();
        }
        return poll.has_value();
    });
    if (!poll) {
        ADD_FAILURE() << "no poll was answered";
        return {};
    }
    return *poll;
}

qint64 E2eTest::appChild(const std::function<bool(const QString& executable)>& matches) {
    const QString parent = QString::number(session().app().pid());
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) {
            continue;
        }
        // "pid (name) state ppid ...": the name may hold spaces, so count from its end.
        const QString line = QString::fromUtf8(stat.readAll());
        const QStringList rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest[1] == parent &&
            matches(QFileInfo("/proc/" + pid + "/exe").symLinkTarget())) {
            return pid.toLongLong();
        }
    }
    return 0;
}

bool E2eTest::appMaps(const QString& name) {
    QFile maps(QString("/proc/%1/maps").arg(session().app().pid()));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name.toUtf8());
}

E2eTest::Run E2eTest::runApp(const QStringList& arguments) {
    Child child("client");
    if (!child.start(appProgram(), arguments, session().environment())) {
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

fakes::FakeNotificationServer& E2eTest::startNotificationServer() {
    stopNotificationServer();
    notificationServer_ = std::make_unique<fakes::FakeNotificationServer>(
        QDBusConnection::connectToBus(session().environment().value("DBUS_SESSION_BUS_ADDRESS"),
                                      kNotificationServerConnection));
    return *notificationServer_;
}

void E2eTest::stopNotificationServer() {
    if (notificationServer_) {
        notificationServer_.reset();
        QDBusConnection::disconnectFromBus(kNotificationServerConnection);
    }
}

}  // namespace quintrel::e2e

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
