#pragma once
// HTTP GET on QNetworkAccessManager: verified TLS, the system proxy, redirects that never
// leave https, bodies capped at kMaxHttpBodyBytes, completions on the main thread.

#include <QObject>

#include "platform/HttpClient.h"

class QNetworkAccessManager;

namespace quintrel {

class QtHttpClient final : public QObject, public HttpClient {
    Q_OBJECT

public:
    // Made, used and completed on the main thread.
    explicit QtHttpClient(QObject* parent = nullptr);
    ~QtHttpClient() override;

    std::shared_ptr<HttpTask> dataTask(const std::string& url, HttpCompletion completion) override;

    // A request with no byte arriving for this long ends as timed out.
    static constexpr std::chrono::seconds kTransferTimeout{120};

private:
    QNetworkAccessManager* manager_;  // child of this
};

}  // namespace quintrel
