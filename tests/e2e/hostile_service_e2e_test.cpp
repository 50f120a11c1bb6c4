// The real app against a hostile service: huge, slow, cut-off and malformed replies,
// redirect tricks, bad certificates and hosts that never answer. Each ends in the title
// "Quintrel" with its own error text, and the next good reply shows the count again.

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "E2eTest.h"

namespace quintrel::e2e {
namespace {

const std::string kPoll = "/api/chrome.php";
const std::string kNone = "None";
// The test build's shortened refresh time-out, and the text it then reads.
const std::string kRefreshTimeoutMs = "8000";
const std::string kTimedOut = "Refresh timed out after 8s";
const std::string kRefused = "Could not connect to the server.";

nlohmann::json countsReply(int count, int times = 1) {
    return {{"path", kPoll},
            {"body", nlohmann::json{{"online", count}, {"pv", count}, {"notify", 0}}.dump()},
            {"count", times}};
}

// The environment of an app that polls every second, gives up a refresh after 8 s and
// reports its status texts.
QProcessEnvironment appEnvironment(const std::string& serviceURL = {}) {
    QProcessEnvironment environment;
    environment.insert("QUINTREL_TEST_POLL_INTERVAL_MS", "1000");
    environment.insert("QUINTREL_TEST_REFRESH_TIMEOUT_MS",
                       QString::fromStdString(kRefreshTimeoutMs));
    environment.insert("QUINTREL_TEST_STATUS_TEXTS", "1");
    if (!serviceURL.empty()) {
        environment.insert("QUINTREL_SERVICE_URL", QString::fromStdString(serviceURL));
    }
    return environment;
}

// The last errors of the refreshes the app has closed so far, in order.
std::vector<std::string> closedRefreshErrors(Child& app) {
    std::vector<std::string> errors;
    std::istringstream lines(app.standardError());
    for (std::string line; std::getline(lines, line);) {
        static const std::regex status("status-texts\t([^\t]*)\t(.*)");
        std::smatch match;
        if (std::regex_match(line, match, status) && match[1] != "Checking...") {
            errors.push_back(match[2]);
        }
    }
    return errors;
}

// Waits until the app has closed a refresh with `error` after the first `after` ones;
// answers how many it has closed by then.
std::optional<size_t> waitForError(Child& app, const std::string& error, size_t after,
                                   std::chrono::milliseconds timeout = kTimeout) {
    std::optional<size_t> closed;
    waitUntil(
        [&] {
            const auto errors = closedRefreshErrors(app);
            for (size_t i = after; i < errors.size(); ++i) {
                if (errors[i] == error) {
                    closed = i + 1;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return closed;
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

// A self-signed certificate for 127.0.0.1, made fresh for the run; answers its PEM file
// (the key lies beside it, with ".key" for ".pem").
std::optional<QString> makeCertificate(const QString& directory, const QString& name) {
    const QString cert = directory + "/" + name + ".pem";
    QProcess openssl;
    openssl.setStandardOutputFile(QProcess::nullDevice());
    openssl.setStandardErrorFile(QProcess::nullDevice());
    openssl.start("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                              "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1", "-subj",
                              "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                              directory + "/" + name + ".key", "-out", cert});
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        return std::nullopt;
    }
    return cert;
}

// Starts a stand-in of its own beside the session's; answers the port it listens on.
std::optional<int> startStandin(Child& standin, Session& session, QStringList arguments) {
    arguments += {"--notify-every", "0"};
    if (!standin.start(QUINTREL_E2E_STANDIN_PROGRAM, arguments, session.environment())) {
        return std::nullopt;
    }
    waitUntil([&] { return !standin.lines().empty() || !standin.running(); }, kTimeout);
    static const std::regex listening(R"(listening on https?://127\.0\.0\.1:(\d+) )");
    std::smatch match;
    if (standin.lines().empty() || !std::regex_search(standin.lines().front(), match, listening)) {
        return std::nullopt;
    }
    return std::stoi(match[1]);
}

// A port on loopback that takes no connection: its accept queue is full and never
// drained, so the kernel drops every further SYN, like a host that never answers. The
// descriptors must not leak into the app, or closing them here would not close the port.
class BlackHole {
public:
    BlackHole() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(listener_, 0) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        for (int& filler : fillers_) {
            filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        }
    }
    ~BlackHole() { close(); }
    BlackHole(const BlackHole&) = delete;
    BlackHole& operator=(const BlackHole&) = delete;

    int port() const { return port_; }
    // From now on the port refuses connections.
    void close() {
        for (int* fd : {&listener_, &fillers_[0], &fillers_[1]}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
    }

private:
    int listener_ = -1;
    int fillers_[2] = {-1, -1};
    int port_ = 0;
};

class HostileServiceTest : public E2eTest {
protected:
    void startApp(const QProcessEnvironment& environment) {
        session().writePreferences({{"qnapicode", kDemoCode}});
        ASSERT_TRUE(session().startPanel()) << "the panel did not start";
        ASSERT_TRUE(session().startApp(environment)) << session().app().error();
    }

    bool printed(const std::string& line) {
        const auto& lines = session().app().lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

struct Mode {
    const char* name;
    nlohmann::json script;
    std::string error;
    std::vector<std::string> printedLines;
};

TEST_F(HostileServiceTest, EveryHostileReplyEndsInItsErrorAndTheNextPollShowsTheCount) {
    const Mode huge{"10 MB body",
                    {{"fault", "huge_body"}},
                    "The response is larger than 1 MiB.",
                    {"Quintrel refresh failed: The response is larger than 1 MiB."}};
    // The 10 MB body comes first and again last: Qt takes in a body while the app refuses
    // it, and the allocator keeps some of that memory for later, once. Memory measured
    // after the first mode includes that; what comes after must not add to it.
    const std::vector<Mode> modes{
        huge,
        {"0-byte 200", {{"status", 200}, {"body", ""}}, "Unable to read API response", {}},
        {"204", {{"status", 204}}, "Unable to read API response", {}},
        {"reset mid-body",
         {{"fault", "reset"}},
         "The network connection was lost.",
         {"Quintrel refresh failed: The network connection was lost."}},
        {"invalid UTF-8", {{"fault", "invalid_utf8"}}, "Unable to read API response", {}},
        {"JSON nested 100 000 deep", {{"fault", "deep_json"}}, "Unable to read API response", {}},
        {"redirect loop",
         {{"fault", "redirect_loop"}},
         "Too many HTTP redirects.",
         {"Quintrel refresh failed: Too many HTTP redirects."}},
        {"a body that trickles for 60 s",
         {{"fault", "trickle"}},
         kTimedOut,
         {"Quintrel refresh failed: The request was cancelled.",
          "Ignoring stale Quintrel refresh completion"}},
        huge,
    };
    // Each fault is followed by a good reply with a count of its own.
    std::vector<std::string> expectedErrors;
    std::vector<std::string> expectedLabels{"Quintrel", "..."};
    for (size_t i = 0; i < modes.size(); ++i) {
        auto script = modes[i].script;
        script["path"] = kPoll;
        ASSERT_TRUE(session().standin().script(script)) << modes[i].name;
        ASSERT_TRUE(session().standin().script(countsReply(101 + static_cast<int>(i))));
        expectedErrors.insert(expectedErrors.end(), {modes[i].error, kNone});
        expectedLabels.insert(expectedLabels.end(), {"Quintrel", std::to_string(101 + i)});
    }
    startApp(appEnvironment());
    Child& app = session().app();

    ASSERT_TRUE(waitForError(app, kNone, 1)) << "the first fault was not followed by a count";
    const long afterFirst = residentKiB(app.pid());
    ASSERT_TRUE(
        waitUntil([&] { return closedRefreshErrors(app).size() >= expectedErrors.size(); }, 120s));
    const long afterAll = residentKiB(app.pid());

    auto errors = closedRefreshErrors(app);
    errors.resize(expectedErrors.size());
    EXPECT_EQ(errors, expectedErrors);
    ASSERT_TRUE(session().waitForLabel(expectedLabels.back()));
    EXPECT_EQ(session().labels(), expectedLabels);
    for (const auto& mode : modes) {
        for (const auto& line : mode.printedLines) {
            EXPECT_TRUE(printed(line)) << mode.name << ": " << line;
        }
    }
    for (const auto& line : app.lines()) {
        EXPECT_EQ(line.find(kDemoCode), std::string::npos) << "the API code leaked: " << line;
    }
    // Qt sends a GET again when its connection broke before the reply was read; the
    // stand-in answers such a retry as it answered the first attempt.
    std::set<std::string> polls;
    int retries = 0;
    for (const auto& poll : session().standin().requests(kPoll)) {
        retries += polls.insert(poll.query).second ? 0 : 1;
    }
    std::cout << "resident memory: " << afterFirst << " KiB after the first fault, " << afterAll
              << " KiB after all; polls sent again by the client: " << retries << "\n";
    EXPECT_GT(afterFirst, 0);
    EXPECT_LE(afterAll - afterFirst, 4 * 1024);
}

TEST_F(HostileServiceTest, AHostThatNeverAnswersThenRefusesThenComesUp) {
    BlackHole hole;
    ASSERT_GT(hole.port(), 0);
    const std::string url = "http://127.0.0.1:" + std::to_string(hole.port());
    startApp(appEnvironment(url));
    Child& app = session().app();

    const auto silent = waitForError(app, kTimedOut, 0, 30s);
    ASSERT_TRUE(silent);
    EXPECT_TRUE(session().waitForLabel("Quintrel"));
    hole.close();
    const auto refused = waitForError(app, kRefused, *silent);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(printed("Quintrel refresh failed: " + kRefused));

    Child service("late stand-in");
    ASSERT_TRUE(startStandin(service, session(),
                             {"--port", QString::number(hole.port()), "--script",
                              QString::fromStdString(countsReply(4321, 1000).dump())}))
        << service.tail();
    EXPECT_TRUE(waitForError(app, kNone, *refused));
    EXPECT_TRUE(session().waitForLabel("4321"));
    EXPECT_EQ(session().labels(),
              (std::vector<std::string>{"Quintrel", "...", "Quintrel", "4321"}));
}

TEST_F(HostileServiceTest, ASelfSignedServiceIsNeverAccepted) {
    const auto cert = makeCertificate(session().directory(), "self-signed");
    ASSERT_TRUE(cert);
    Child service("https stand-in");
    const auto port = startStandin(
        service, session(),
        {"--port", "0", "--tls-cert", *cert, "--tls-key", QString(*cert).replace(".pem", ".key"),
         "--script", QString::fromStdString(countsReply(4321, 1000).dump())});
    ASSERT_TRUE(port) << service.tail();
    startApp(appEnvironment("https://127.0.0.1:" + std::to_string(*port)));
    Child& app = session().app();

    const std::string refused = "A secure connection to the server could not be made.";
    const auto first = waitForError(app, refused, 0);
    ASSERT_TRUE(first);
    // And again at the next poll: nothing about the certificate was remembered.
    EXPECT_TRUE(waitForError(app, refused, *first));
    EXPECT_TRUE(printed("Quintrel refresh failed: " + refused));
    EXPECT_EQ(session().labels(), (std::vector<std::string>{"Quintrel", "...", "Quintrel"}));
}

TEST_F(HostileServiceTest, AnHttpsServiceCannotRedirectToHttp) {
    const auto cert = makeCertificate(session().directory(), "trusted");
    ASSERT_TRUE(cert);
    Child service("https stand-in");
    const nlohmann::json toPlain{{"path", kPoll},
                                 {"location", session().serviceURL() + kPoll + "?v=2"}};
    const auto port = startStandin(
        service, session(),
        {"--port", "0", "--tls-cert", *cert, "--tls-key", QString(*cert).replace(".pem", ".key"),
         "--script", QString::fromStdString(toPlain.dump()), "--script",
         QString::fromStdString(countsReply(4321, 1000).dump())});
    ASSERT_TRUE(port) << service.tail();
    auto environment = appEnvironment("https://127.0.0.1:" + std::to_string(*port));
    environment.insert("QUINTREL_TEST_EXTRA_CA_FILE", *cert);
    startApp(environment);
    Child& app = session().app();

    const std::string insecure = "The server redirected to an insecure address.";
    const auto refused = waitForError(app, insecure, 0);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(printed("Quintrel refresh failed: " + insecure));
    EXPECT_TRUE(waitForError(app, kNone, *refused));
    EXPECT_TRUE(session().waitForLabel("4321"));
    EXPECT_EQ(session().labels(),
              (std::vector<std::string>{"Quintrel", "...", "Quintrel", "4321"}));
    // The plain stand-in the redirect pointed at never saw the poll.
    EXPECT_TRUE(session().standin().requests(kPoll).empty());
}

}  // namespace
}  // namespace quintrel::e2e
