#pragma once
// A tiny HTTP/1.1 server on loopback, plain or TLS, answering with the test's handler.

#include <functional>
#include <optional>

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace quintrel::testing {

class LocalHttpServer : public QObject {
public:
    // The raw reply for a request target ("/path?query"); none keeps the connection open
    // without answering.
    using Handler = std::function<std::optional<QByteArray>(const QByteArray& target)>;

    explicit LocalHttpServer(Handler handler, std::optional<QSslConfiguration> tls = std::nullopt)
        : handler_(std::move(handler)) {
        if (tls) {
            auto* server = new QSslServer(this);
            server->setSslConfiguration(*tls);
            server_ = server;
            connect(server, &QSslServer::pendingConnectionAvailable, this,
                    &LocalHttpServer::accept);
        } else {
            server_ = new QTcpServer(this);
            connect(server_, &QTcpServer::newConnection, this, &LocalHttpServer::accept);
        }
        server_->listen(QHostAddress::LocalHost);
    }

    quint16 port() const { return server_->serverPort(); }
    const QList<QByteArray>& targets() const { return targets_; }

    static QByteArray response(int status, const QByteArray& body,
                               const QByteArray& extraHeaders = {}) {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " X\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
    }

private:
    void accept() {
        while (QTcpSocket* socket = server_->nextPendingConnection()) {
            socket->setParent(this);
            auto buffer = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                *buffer += socket->readAll();
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0) {
                    return;
                }
                const QByteArray target = buffer->left(buffer->indexOf("\r\n")).split(' ').value(1);
                buffer->clear();
                targets_.append(target);
                if (const auto reply = handler_(target)) {
                    socket->write(*reply);
                    socket->disconnectFromHost();
                }
            });
        }
    }

    Handler handler_;
    QTcpServer* server_ = nullptr;
    QList<QByteArray> targets_;
};

}  // namespace quintrel::testing
