// baseline-tray: the smallest honest Qt tray app, the yardstick scripts/bench measures the
// companion against. A QApplication and a QSystemTrayIcon showing a painted number.
// Built a second time as baseline-polling-tray (BASELINE_POLLS): the same tray app plus one
// QNetworkAccessManager GET every 45 s of the URL given as its argument, the floor of a Qt
// tray app that polls a service.

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#ifdef BASELINE_POLLS
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <chrono>
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        QFont font = painter.font();
        font.setPixelSize(14);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(pixmap.rect(), Qt::AlignCenter, QStringLiteral("42"));
    }

    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.show();

#ifdef BASELINE_POLLS
    const QUrl url(QApplication::arguments().value(1));
    QNetworkAccessManager network;
    const auto poll = [&] {
        QNetworkReply* reply = network.get(QNetworkRequest(url));
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply] {
            reply->readAll();
            reply->deleteLater();
        });
    };
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, poll);
    timer.start(std::chrono::seconds(45));
    poll();
#endif
    return QApplication::exec();
}
