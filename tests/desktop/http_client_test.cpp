// QtHttpClient against servers on loopback (a body over the cap: the hostile-service e2e).

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "LocalHttpServer.h"
#include "desktop/system/QtHttpClient.h"

using quintrel::HttpResult;
using quintrel::QtHttpClient;
using quintrel::testing::LocalHttpServer;

namespace {

const QByteArray kCode = "SECRET-API-CODE-0123456789";

struct Outcome {
    int calls = 0;
    HttpResult result;
};

// A completion that counts its calls into `outcome`.
auto recordInto(const std::shared_ptr<Outcome>& outcome) {
    return [outcome](HttpResult result) {
        ++outcome->calls;
        outcome->result = std::move(result);
    };
}

// A self-signed certificate for 127.0.0.1, made fresh for the run.
std::optional<QSslConfiguration> makeTlsConfiguration(const QTemporaryDir& dir,
                                                      const QString& name) {
    const QString key = dir.filePath(name + ".key");
    const QString cert = dir.filePath(name + ".pem");
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);  // kept out of the test's log
    openssl.start(
        QStringLiteral("openssl"),
        {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1",
         "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    const bool made = openssl.waitForFinished(60000) && openssl.exitCode() == 0;
    QFile keyFile(key);
    QFile certFile(cert);
    if (!made || !keyFile.open(QIODevice::ReadOnly) || !certFile.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(certFile.readAll()));
    configuration.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa));
    return configuration;
}

}  // namespace

class HttpClientTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<LocalHttpServer> plain_;
    std::unique_ptr<LocalHttpServer> trusted_;
    std::unique_ptr<LocalHttpServer> untrusted_;
    std::unique_ptr<QtHttpClient> client_;

    QByteArray plainURL(const QByteArray& path) const {
        return "http://127.0.0.1:" + QByteArray::number(plain_->port()) + path;
    }

private slots:
    void initTestCase() {
        const auto handler = [this](const QByteArray& target) -> std::optional<QByteArray> {
            if (target.startsWith("/ok")) {
                return LocalHttpServer::response(200, "{\"online\":7}");
            }
            if (target.startsWith("/unavailable")) {
                return LocalHttpServer::response(503, "busy");
            }
            if (target.startsWith("/exactly-cap")) {
                return LocalHttpServer::response(200, QByteArray(quintrel::kMaxHttpBodyBytes, 'x'));
            }
            if (target.startsWith("/deflated")) {
                // Longer on the wire than once inflated.
                const QByteArray zlib = qCompress(QByteArray("{\"online\":7}")).mid(4);
                return LocalHttpServer::response(200, zlib, "Content-Encoding: deflate\r\n");
            }
            if (target.startsWith("/loop") || target.startsWith("/to-plain")) {
                const QByteArray to = target.startsWith("/loop") ? "/loop" : plainURL("/ok");
                return LocalHttpServer::response(302, {}, "Location: " + to + "\r\n");
            }
            return std::nullopt;  // "/hang" and the rest: never answered
        };
        plain_ = std::make_unique<LocalHttpServer>(handler);
        const auto trusted = makeTlsConfiguration(dir_, "trusted");
        const auto untrusted = makeTlsConfiguration(dir_, "untrusted");
        QVERIFY(trusted && untrusted);
        trusted_ = std::make_unique<LocalHttpServer>(handler, trusted);
        untrusted_ = std::make_unique<LocalHttpServer>(handler, untrusted);
        QSslConfiguration defaults = QSslConfiguration::defaultConfiguration();
        defaults.addCaCertificate(trusted->localCertificate());
        QSslConfiguration::setDefaultConfiguration(defaults);
        client_ = std::make_unique<QtHttpClient>();
    }

    // A path on the plain server, or on the "trusted" or "untrusted" TLS one; an error, or
    // the status and the body's size.
    void outcomes_data() {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("status");
        QTest::addColumn<qsizetype>("bodySize");
        const qsizetype cap = quintrel::kMaxHttpBodyBytes, json = 12, none = 0;
        QTest::newRow("trusted TLS") << QByteArray("trusted/ok") << QString() << 200 << json;
        QTest::newRow("unavailable is an answer")
            << QByteArray("/unavailable") << QString() << 503 << qsizetype(4);
        QTest::newRow("exactly the cap") << QByteArray("/exactly-cap") << QString() << 200 << cap;
        // Not mistaken for a body cut short of its Content-Length.
        QTest::newRow("deflated") << QByteArray("/deflated") << QString() << 200 << json;
        QTest::newRow("connection refused") << QByteArray("http://127.0.0.1:1/api")
                                            << "Could not connect to the server." << 0 << none;
        QTest::newRow("redirect loop")
            << QByteArray("/loop") << "Too many HTTP redirects." << 0 << none;
        QTest::newRow("untrusted certificate")
            << QByteArray("untrusted/ok") << "A secure connection to the server could not be made."
            << 0 << none;
        QTest::newRow("https redirected to http")
            << QByteArray("trusted/to-plain") << "The server redirected to an insecure address."
            << 0 << none;
    }
    void outcomes() {
        QFETCH(QByteArray, url);
        QFETCH(QString, error);
        QFETCH(int, status);
        QFETCH(qsizetype, bodySize);
        if (url.startsWith('/')) {
            url = plainURL(url);
        } else if (!url.startsWith("http")) {
            const auto& server = url.startsWith("trusted") ? trusted_ : untrusted_;
            url = "https://127.0.0.1:" + QByteArray::number(server->port()) +
                  url.mid(url.indexOf('/'));
        }
        url += "?code=" + kCode;
        const qsizetype plainRequests = plain_->targets().size();
        // Twice: nothing about a refused certificate or redirect is remembered.
        for (int attempt = 0; attempt < 2; ++attempt) {
            auto outcome = std::make_shared<Outcome>();
            auto task = client_->dataTask(url.toStdString(), recordInto(outcome));
            task->resume();
            QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 20000);
            QTest::qWait(50);
            QCOMPARE(outcome->calls, 1);
            const HttpResult& result = outcome->result;
            // Exact texts: neither the code nor the address gets into them.
            QCOMPARE(QString::fromStdString(result.error.value_or("")), error);
            if (error.isEmpty()) {
                QCOMPARE(result.status, std::optional<int>(status));
                QVERIFY(result.body);
                QCOMPARE(qsizetype(result.body->size()), bodySize);
            } else {
                QVERIFY(!result.body);
            }
        }
        if (error.contains("insecure")) {
            QCOMPARE(plain_->targets().size(), plainRequests);  // the downgrade never happened
        }
    }

    void cancelCompletesOnceAndNeverInsideTheCall_data() {
        QTest::addColumn<bool>("resumeFirst");
        QTest::newRow("while waiting for the server") << true;
        QTest::newRow("before resume") << false;
    }
    void cancelCompletesOnceAndNeverInsideTheCall() {
        QFETCH(bool, resumeFirst);
        const qsizetype requestsBefore = plain_->targets().size();
        auto outcome = std::make_shared<Outcome>();
        auto task = client_->dataTask(plainURL("/hang").toStdString(), recordInto(outcome));
        if (resumeFirst) {
            task->resume();
            QTRY_COMPARE_WITH_TIMEOUT(plain_->targets().size(), requestsBefore + 1, 20000);
        }
        task->cancel();
        QCOMPARE(outcome->calls, 0);
        task->cancel();
        task->resume();
        QCOMPARE(outcome->calls, 0);
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 20000);
        QTest::qWait(100);
        QCOMPARE(outcome->calls, 1);
        QCOMPARE(outcome->result.error, std::optional<std::string>("The request was cancelled."));
        QCOMPARE(plain_->targets().size(), requestsBefore + (resumeFirst ? 1 : 0));
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "http_client_test.moc"
