#include "E2eTest.h"

#include <httplib.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrlQuery>
#include <fstream>
#include <iostream>
#include <regex>

namespace quintrel::e2e {
namespace {

constexpr const char* kNotificationServerConnection = "e2e-notification-server";

// The double-quoted value right after `marker` in `line`.
std::optional<std::string> quotedAfter(const std::string& line, const std::string& marker) {
    std::smatch match;
    if (!std::regex_search(line, match, std::regex(marker + R"re("((?:[^"\\]|\\.)*)")re"))) {
        return std::nullopt;
    }
    return std::regex_replace(match[1].str(), std::regex(R"(\\(.))"), "$1");
}

}  // namespace

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
    if (running()) {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
        readOutput();
    }
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

std::string Child::tail(size_t count) {
    if (running()) {
        process_.waitForReadyRead(100);  // what is still in the pipes
    }
    const auto& all = lines();
    std::string text = "---- " + name_ + " standard output (last lines)\n";
    for (size_t i = all.size() - std::min(count, all.size()); i < all.size(); ++i) {
        text += all[i] + "\n";
    }
    return text + partial_ + "\n---- " + name_ + " standard error\n" +
           stderr_.substr(stderr_.size() - std::min<size_t>(stderr_.size(), 4000));
}

std::optional<std::string> LoggedRequest::queryValue(const std::string& name) const {
    const QUrlQuery items(QString::fromStdString(query));
    return items.hasQueryItem(QString::fromStdString(name))
               ? std::optional(
                     items.queryItemValue(QString::fromStdString(name), QUrl::FullyDecoded)
                         .toStdString())
               : std::nullopt;
}

bool StandinClient::script(const nlohmann::json& reply) {
    const auto result = httplib::Client("127.0.0.1", port)
                            .Post("/__control/next", reply.dump(), "application/json");
    return result && result->status == 200;
}

std::vector<LoggedRequest> StandinClient::log() const {
    const auto result = httplib::Client("127.0.0.1", port).Get("/__log");
    std::vector<LoggedRequest> entries;
    const auto json = result && result->status == 200
                          ? nlohmann::json::parse(result->body, nullptr, false)
                          : nlohmann::json();
    for (const auto& e : json.is_array() ? json : nlohmann::json::array()) {
        entries.push_back({e.value("method", ""), e.value("path", ""), e.value("query", ""),
                           e.value("status", 0), e.value("body", "")});
    }
    return entries;
}

std::vector<LoggedRequest> StandinClient::requests(const std::string& path) const {
    auto all = log();
    std::erase_if(all, [&](const LoggedRequest& r) { return r.path != path; });
    return all;
}

void E2eTest::startSession() {
    const QString root = dir_.path();
    constexpr auto kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const auto* sub : {"config", "home", "bin", "runtime"}) {
        QDir(root).mkpath(sub);
    }
    QFile::setPermissions(root + "/runtime", kOwnerOnly);
    std::ofstream(root.toStdString() + "/bin/xdg-open")  // the fake browser
        << "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" << root.toStdString() << "/opened-urls'\n";
    QFile::setPermissions(root + "/bin/xdg-open", kOwnerOnly);

    environment_ = QProcessEnvironment::systemEnvironment();
    for (const auto* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_CURRENT_DESKTOP",
          "XDG_SESSION_TYPE", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "SESSION_MANAGER", "BROWSER"}) {
        environment_.remove(name);
    }
    for (const auto& [name, value] :
         {std::pair<QString, QString>{"XDG_CONFIG_HOME", root + "/config"},
          {"XDG_RUNTIME_DIR", root + "/runtime"},
          {"HOME", root + "/home"},
          {"PATH", root + "/bin:" + environment_.value("PATH")},
          {"QT_QPA_PLATFORM", "xcb"},
          {"QT_XCB_GL_INTEGRATION", "none"}}) {
        environment_.insert(name, value);
    }

    // -displayfd 1: Xvfb picks a free display and writes its number on standard output.
    environment_.insert(
        "DISPLAY", ":" + firstLine(*display_, "Xvfb",
                                   {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten",
                                    "tcp", "-noreset"}));
    const QString address =
        firstLine(*busDaemon_, "dbus-daemon",
                  {"--config-file=" QUINTREL_E2E_BUS_CONFIG, "--nofork", "--print-address=1"});
    environment_.insert("DBUS_SESSION_BUS_ADDRESS", address);
    // "quintrel-standin listening on http://127.0.0.1:<port> (...)"
    standin_.port = firstLine(*standinProcess_, QUINTREL_E2E_STANDIN,
                              QStringList{"--port", "0"} + standinArguments())
                        .section(':', 2)
                        .section(' ', 0, 0)
                        .toInt();
    if (!ok()) {
        return;
    }
    environment_.insert("QUINTREL_SERVICE_URL", QString::fromStdString(serviceURL()));
    environment_.insert("QUINTREL_WIDGET_URL", QString::fromStdString(widgetURL()));
    connectionName_ = QStringLiteral("e2e-%1").arg(reinterpret_cast<quintptr>(this));
    auto connection = QDBusConnection::connectToBus(address, connectionName_);
    screenSaver_ = std::make_unique<FakeScreenSaver>(connection, 0);  // never idle
    constexpr auto kExport = QDBusConnection::ExportScriptableContents;
    if (!connection.registerObject("/org/freedesktop/ScreenSaver", screenSaver_.get(), kExport) ||
        !connection.registerObject("/ScreenSaver", screenSaver_.get(), kExport) ||
        !connection.registerService("org.freedesktop.ScreenSaver")) {
        error_ = "cannot own org.freedesktop.ScreenSaver on the private bus";
    }
}

// Starts `child` unless an earlier step failed, and answers the first line it prints.
QString E2eTest::firstLine(Child& child, const QString& program, const QStringList& args) {
    if (ok() && !child.start(program, args, environment_)) {
        error_ = child.error();
    }
    if (ok() && (!waitUntil([&] { return !child.lines().empty() || !child.running(); }) ||
                 child.lines().empty())) {
        error_ = program.toStdString() + " did not report how to reach it\n" + child.tail();
    }
    return ok() ? QString::fromStdString(child.lines().front()) : QString();
}

void E2eTest::stopSession() {
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

void E2eTest::writePreferences(const nlohmann::json& preferences) {
    QDir(dir_.path()).mkpath("config/quintrel");
    std::ofstream((dir_.path() + "/config/quintrel/preferences.json").toStdString())
        << preferences.dump();
}

bool E2eTest::startPanel() {
    const size_t from = panel_->lines().size();  // a restarted panel says so again
    if (!panel_->start(QUINTREL_E2E_PANEL, {"--report"}, environment_)) {
        return false;
    }
    return waitForPanelLine(
               [&](const std::string& l) { return l == "ready" || !panel_->running(); }, from) &&
           panel_->running();
}

bool E2eTest::startApp(const QProcessEnvironment& extra, const QString& program) {
    auto environment = environment_;
    environment.insert(extra);
    return app_->start(program.isEmpty() ? appProgram() : program, {}, environment);
}

std::vector<std::string> E2eTest::labels() {
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

bool E2eTest::waitForLabel(const std::string& label, std::chrono::milliseconds timeout) {
    return waitUntil([&] { return !labels().empty() && labels().back() == label; }, timeout);
}

bool E2eTest::waitForPanelLine(const std::function<bool(const std::string&)>& matches,
                               size_t from) {
    return waitUntil([&] {
        const auto& lines = panel_->lines();
        return std::any_of(
            lines.begin() + static_cast<std::ptrdiff_t>(std::min(from, lines.size())), lines.end(),
            matches);
    });
}

bool E2eTest::waitForRequests(size_t count, const std::string& path,
                              std::chrono::milliseconds timeout) {
    return waitUntil([&] { return standin_.requests(path).size() >= count; }, timeout);
}

std::optional<size_t> E2eTest::waitForAppLine(const std::string& text, size_t from,
                                              std::chrono::milliseconds timeout) {
    std::optional<size_t> found;
    waitUntil(
        [&] {
            for (size_t i = from; i < app_->lines().size() && !found; ++i) {
                found = app_->lines()[i].find(text) != std::string::npos ? std::optional(i) : found;
            }
            return found.has_value();
        },
        timeout);
    return found;
}

std::vector<std::string> E2eTest::openedUrls() const {
    std::vector<std::string> urls;
    std::ifstream in((dir_.path() + "/opened-urls").toStdString());
    for (std::string line; std::getline(in, line);) {
        urls.push_back(line);
    }
    return urls;
}

bool E2eTest::opened(const std::string& prefix) const {
    return std::ranges::any_of(openedUrls(),
                               [&](const auto& url) { return url.starts_with(prefix); });
}

QString E2eTest::x11(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString E2eTest::window(const QString& title) {
    return x11("xdotool", {"search", "--onlyvisible", "--name", "^" + title + "$"})
        .section('\n', 0, 0);
}

std::string E2eTest::diagnostics() {
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

void E2eTest::SetUp() {
    startSession();
    ASSERT_TRUE(error_.empty()) << error_;
}

void E2eTest::TearDown() {
    stopNotificationServer();
    if (HasFailure()) {
        std::cout << diagnostics() << std::flush;
    }
    stopSession();
}

void E2eTest::startWithCode(const QProcessEnvironment& extra, const nlohmann::json& preferences,
                            const QString& program) {
    auto stored = preferences;
    stored["qnapicode"] = kDemoCode;
    writePreferences(stored);
    ASSERT_TRUE(startPanel()) << "the panel did not start";
    ASSERT_TRUE(startApp(extra, program)) << app().error();
}

LoggedRequest E2eTest::firstAnsweredPoll() {
    std::vector<LoggedRequest> polls;
    waitUntil([&] {
        polls = standin().requests(kPoll);
        return !polls.empty() && polls.front().status != 0;
    });
    EXPECT_TRUE(!polls.empty() && polls.front().status != 0) << "no poll was answered";
    return polls.empty() ? LoggedRequest{} : polls.front();
}

qint64 E2eTest::appChild(const std::function<bool(const QString& executable)>& matches) {
    const auto pid = app().pid();
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                           "/children");
    for (qint64 child = 0; children >> child;) {
        if (matches(QFileInfo(QString("/proc/%1/exe").arg(child)).symLinkTarget())) {
            return child;
        }
    }
    return 0;
}

bool E2eTest::appMaps(const QString& name) {
    QFile maps(QString("/proc/%1/maps").arg(app().pid()));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name.toUtf8());
}

fakes::FakeNotificationServer& E2eTest::startNotificationServer() {
    stopNotificationServer();
    notificationServer_ =
        std::make_unique<fakes::FakeNotificationServer>(QDBusConnection::connectToBus(
            environment().value("DBUS_SESSION_BUS_ADDRESS"), kNotificationServerConnection));
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
