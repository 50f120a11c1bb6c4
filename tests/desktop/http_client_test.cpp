// QtHttpClient against servers on loopback: answers, HTTP errors, the body cap, cancel,
// wording of transport errors, verified TLS and redirects that must not leave https. A body
// over the cap is the hostile-service end-to-end test's.

#include <thread>

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

// A self-signed certificate for 127.0.0.1, made fresh for the run.
std::optional<QSslConfiguration> makeTlsConfiguration(const QTemporaryDir& dir,
                                                      const QString& name) {
    const QString key = dir.filePath(name + ".key");
    const QString cert = dir.filePath(name + ".pem");
    QProcess openssl;
    openssl.setStandardOutputFile(QProcess::nullDevice());
    openssl.setStandardErrorFile(QProcess::nullDevice());
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

    // Starts a GET and waits for its completion; checks it ran exactly once.
    Outcome fetch(const QByteArray& url) {
        auto outcome = std::make_shared<Outcome>();
        auto task = client_->dataTask(url.toStdString(), [outcome](HttpResult result) {
            ++outcome->calls;
            outcome->result = std::move(result);
        });
        task->resume();
        [&] {
            QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 20000);
        }();
        QTest::qWait(50);
        [&] {
            QCOMPARE(outcome->calls, 1);
        }();
        return *outcome;
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
            if (target.startsWith("/to-plain")) {
                return LocalHttpServer::response(302, {}, "Location: " + plainURL("/ok") + "\r\n");
            }
            if (target.startsWith("/loop")) {
                return LocalHttpServer::response(302, {}, "Location: /loop\r\n");
            }
            if (target.startsWith("/to-ok")) {
                return LocalHttpServer::response(302, {}, "Location: /ok\r\n");
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

    void answers_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");
        QTest::addColumn<qsizetype>("bodySize");
        QTest::newRow("ok") << QByteArray("/ok") << 200 << qsizetype(12);
        QTest::newRow("trusted TLS") << QByteArray("trusted") << 200 << qsizetype(12);
        QTest::newRow("service unavailable is an answer")
            << QByteArray("/unavailable") << 503 << qsizetype(4);
        QTest::newRow("a body of exactly the cap")
            << QByteArray("/exactly-cap") << 200 << qsizetype(quintrel::kMaxHttpBodyBytes);
        QTest::newRow("plain redirect followed") << QByteArray("/to-ok") << 200 << qsizetype(12);
        QTest::newRow("a compressed body is not mistaken for a cut one")
            << QByteArray("/deflated") << 200 << qsizetype(12);
    }
    void answers() {
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        QFETCH(qsizetype, bodySize);
        const QByteArray url =
            path == "trusted" ? "https://127.0.0.1:" + QByteArray::number(trusted_->port()) + "/ok"
                              : plainURL(path + "?code=" + kCode);
        const Outcome outcome = fetch(url);
        QVERIFY(!outcome.result.error);
        QCOMPARE(outcome.result.status, std::optional<int>(status));
        QVERIFY(outcome.result.body);
        QCOMPARE(qsizetype(outcome.result.body->size()), bodySize);
    }

    void transportErrorsAreWordedWithoutTheURL_data() {
        QTest::addColumn<QByteArray>("url");
        QTest::addColumn<QString>("error");
        QTest::newRow("connection refused") << QByteArray("http://127.0.0.1:1/api")
                                            << QStringLiteral("Could not connect to the server.");
        QTest::newRow("redirect loop")
            << QByteArray("/loop") << QStringLiteral("Too many HTTP redirects.");
        QTest::newRow("untrusted certificate")
            << QByteArray("untrusted")
            << QStringLiteral("A secure connection to the server could not be made.");
        QTest::newRow("https redirected to http")
            << QByteArray("trusted")
            << QStringLiteral("The server redirected to an insecure address.");
    }
    void transportErrorsAreWordedWithoutTheURL() {
        QFETCH(QByteArray, url);
        QFETCH(QString, error);
        if (url.startsWith('/')) {
            url = plainURL(url);
        } else if (url == "untrusted") {
            url = "https://127.0.0.1:" + QByteArray::number(untrusted_->port()) + "/ok";
        } else if (url == "trusted") {
            url = "https://127.0.0.1:" + QByteArray::number(trusted_->port()) + "/to-plain";
        }
        const qsizetype plainRequests = plain_->targets().size();
        // Twice: nothing about a refused certificate or redirect is remembered.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Outcome outcome = fetch(url + "?code=" + kCode);
            QVERIFY(outcome.result.error);
            QCOMPARE(QString::fromStdString(*outcome.result.error), error);
            QVERIFY(!outcome.result.body);
            QVERIFY(!QByteArray::fromStdString(*outcome.result.error).contains(kCode));
            QVERIFY(!QByteArray::fromStdString(*outcome.result.error).contains("127.0.0.1"));
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
        auto task = client_->dataTask(plainURL("/hang").toStdString(), [outcome](HttpResult r) {
            ++outcome->calls;
            outcome->result = std::move(r);
        });
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

    // Started from another thread and its handle dropped at once: the request still runs
    // and completes, on the client's thread.
    void startedElsewhereAndDroppedItStillCompletesOnTheClientsThread() {
        auto outcome = std::make_shared<Outcome>();
        auto completedOn = std::make_shared<QThread*>(nullptr);
        const std::string url = plainURL("/ok").toStdString();
        std::thread([&] {
            client_
                ->dataTask(url,
                           [outcome, completedOn](HttpResult r) {
                               *completedOn = QThread::currentThread();
                               ++outcome->calls;
                               outcome->result = std::move(r);
                           })
                ->resume();
        }).join();
        QTRY_COMPARE_WITH_TIMEOUT(outcome->calls, 1, 20000);
        QCOMPARE(*completedOn, QThread::currentThread());
        QCOMPARE(outcome->result.status, std::optional<int>(200));
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "http_client_test.moc"
