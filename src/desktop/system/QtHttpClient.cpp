#include "desktop/system/QtHttpClient.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "desktop/system/ProcessMemory.h"

namespace quintrel {

namespace {

// Qt's own error strings quote the request URL, and with it the API code: these say
// what went wrong in words of their own.
std::string describe(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::ConnectionRefusedError:
            return "Could not connect to the server.";
        case QNetworkReply::RemoteHostClosedError:
            return "The network connection was lost.";
        case QNetworkReply::HostNotFoundError:
            return "A server with the specified hostname could not be found.";
        case QNetworkReply::TimeoutError:
            return "The request timed out.";
        case QNetworkReply::OperationCanceledError:
            return "The request was cancelled.";
        case QNetworkReply::SslHandshakeFailedError:
            return "A secure connection to the server could not be made.";
        case QNetworkReply::TemporaryNetworkFailureError:
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::BackgroundRequestNotAllowedError:
            return "The Internet connection appears to be offline.";
        case QNetworkReply::TooManyRedirectsError:
            return "Too many HTTP redirects.";
        case QNetworkReply::InsecureRedirectError:
            return "The server redirected to an insecure address.";
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyConnectionClosedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError:
            return "Could not connect to the proxy server.";
        case QNetworkReply::ProxyAuthenticationRequiredError:
            return "The proxy server requires authentication.";
        case QNetworkReply::ProtocolUnknownError:
            return "The URL's scheme is not supported.";
        case QNetworkReply::ProtocolFailure:
            return "The server's reply could not be understood.";
        default:
            return "A network error occurred.";
    }
}

const std::string kTooLarge = "The response is larger than 1 MiB.";

// How long after a reply the heap it freed is handed back: long enough for the work the
// reply causes to be over, short enough to stay among the moments a poll wakes the app.
constexpr std::chrono::milliseconds kHeapSettleTime{2000};

// One request: holds the completion, which the task handle must not own. Deleted once
// the completion has run.
class Request final : public QObject {
public:
    // A child of the manager, whose thread (the main one) runs it and its completion.
    Request(QNetworkAccessManager* manager, QString url, HttpCompletion completion)
        : QObject(manager),
          manager_(manager),
          url_(std::move(url)),
          completion_(std::move(completion)) {}

    void start() {
        if (started_ || finished_) {
            return;
        }
        started_ = true;
        const QUrl url(url_, QUrl::StrictMode);
        if (!url.isValid() || url.scheme().isEmpty() || url.host().isEmpty()) {
            finish({std::nullopt, std::nullopt, "The URL is not valid."});
            return;
        }
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(10);
        request.setTransferTimeout(
            static_cast<int>(std::chrono::milliseconds(QtHttpClient::kTransferTimeout).count()));
        reply_ = manager_->get(request);
        reply_->setParent(this);
        connect(reply_, &QNetworkReply::readyRead, this, &Request::read);
        connect(reply_, &QNetworkReply::finished, this, &Request::replyFinished);
    }

    void cancel() {
        if (finished_ || cancelled_) {
            return;
        }
        cancelled_ = true;
        if (reply_) {
            reply_->abort();  // emits finished, which completes the request
        } else {
            finish({std::nullopt, std::nullopt, describe(QNetworkReply::OperationCanceledError)});
        }
    }

private:
    void read() {
        const qint64 available = reply_->bytesAvailable();
        if (body_.size() + available > static_cast<qint64>(kMaxHttpBodyBytes)) {
            tooLarge_ = true;
            reply_->abort();
            return;
        }
        body_ += reply_->readAll();
    }

    void replyFinished() {
        if (finished_) {
            return;
        }
        if (!tooLarge_ && reply_->bytesAvailable() > 0) {
            read();
        }
        HttpResult result;
        if (tooLarge_) {
            result.error = kTooLarge;
        } else if (reply_->error() == QNetworkReply::OperationCanceledError && !cancelled_) {
            // Qt ends a request that hit its transfer timeout as cancelled.
            result.error = describe(QNetworkReply::TimeoutError);
        } else if (reply_->error() == QNetworkReply::NoError && cutShort()) {
            // When a connection is reset while Qt still holds unread bytes of the body, it
            // can end the reply as complete with part of the body.
            result.error = describe(QNetworkReply::RemoteHostClosedError);
        } else {
            const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            // Errors below 200 are the network's and the proxy's (a refused redirect among
            // them); the others stand for an HTTP status.
            if (status.isValid() && (reply_->error() == QNetworkReply::NoError ||
                                     reply_->error() >= QNetworkReply::ContentAccessDenied)) {
                // An HTTP status, good or bad, is an answer: the caller judges it.
                result.status = status.toInt();
                result.body = body_.toStdString();
            } else if (reply_->error() != QNetworkReply::NoError) {
                result.error = describe(reply_->error());
            } else {
                result.body = body_.toStdString();
            }
        }
        finish(std::move(result));
    }

    // Fewer body bytes than the server announced. Qt drops the header when it decompresses,
    // so a length that is there counts the bytes read here.
    bool cutShort() const {
        bool known = false;
        const qint64 announced =
            reply_->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        return known && body_.size() < announced;
    }

    // Hands the result to the completion from the event loop, never from inside start(),
    // cancel() or Qt's signal emission that those may cause.
    void finish(HttpResult result) {
        finished_ = true;
        QMetaObject::invokeMethod(
            this,
            [this, result = std::move(result)]() mutable {
                auto completion = std::move(completion_);
                deleteLater();
                completion(std::move(result));
                // Once this request, its reply and the work the reply causes (a new title
                // painted, the panel reading the item back over the bus) have freed their
                // buffers.
                QTimer::singleShot(kHeapSettleTime, &releaseFreeHeap);
            },
            Qt::QueuedConnection);
    }

    QNetworkAccessManager* manager_;
    const QString url_;
    HttpCompletion completion_;
    QNetworkReply* reply_ = nullptr;  // child of this
    QByteArray body_;
    bool started_ = false;
    bool cancelled_ = false;
    bool finished_ = false;
    bool tooLarge_ = false;
};

class QtHttpTask final : public HttpTask {
public:
    explicit QtHttpTask(Request* request) : request_(request) {}

    void resume() override {
        if (request_) {
            request_->start();
        }
    }
    void cancel() override {
        if (request_) {
            request_->cancel();
        }
    }

private:
    QPointer<Request> request_;
};

}  // namespace

QtHttpClient::QtHttpClient(QObject* parent)
    : QObject(parent), manager_(new QNetworkAccessManager(this)) {
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

QtHttpClient::~QtHttpClient() = default;

std::shared_ptr<HttpTask> QtHttpClient::dataTask(const std::string& url,
                                                 HttpCompletion completion) {
    return std::make_shared<QtHttpTask>(
        new Request(manager_, QString::fromStdString(url), std::move(completion)));
}

}  // namespace quintrel
