// Opens the real dashboard popup (web engine plugin and all) against a local widget host
// and prints how long each opening takes and what the process tree costs in memory.
//   popup_footprint <widget base URL> [seconds to stay open at the end]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <cstdio>

#include "desktop/popup/DashboardPopoverViewController.h"
#include "desktop/popup/DashboardPopup.h"
#include "desktop/popup/WebViewPlugin.h"

namespace {

class PrintingBrowser final : public quintrel::Browser {
public:
    void openURL(const std::string& url) override {
        std::printf("browser: %s\n", url.c_str());
        std::fflush(stdout);
    }
};

qint64 pssKiB(qint64 pid) {
    QFile file(QString("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("Pss:")) {
            return line.mid(4).trimmed().split(' ').first().toLongLong();
        }
    }
    return 0;
}

// PSS of this process and all of its descendants, in MB.
double treePssMB() {
    QMap<qint64, qint64> parents;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        QFile stat("/proc/" + entry + "/stat");
        if (numeric && stat.open(QIODevice::ReadOnly)) {
            const QByteArray text = stat.readAll();
            const auto fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            parents[pid] = fields.value(1).toLongLong();
        }
    }
    QList<qint64> tree{QCoreApplication::applicationPid()};
    for (int i = 0; i < tree.size(); ++i) {
        for (auto it = parents.begin(); it != parents.end(); ++it) {
            if (it.value() == tree[i]) {
                tree << it.key();
            }
        }
    }
    qint64 total = 0;
    for (const qint64 pid : tree) {
        total += pssKiB(pid);
    }
    return static_cast<double>(total) / 1024.0;
}

void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    quintrel::prepareDashboardWebView();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: popup_footprint <widget base URL> [seconds open]\n");
        return 2;
    }
    const std::string widgets = argv[1];
    const int openSeconds = argc > 2 ? std::atoi(argv[2]) : 0;
    PrintingBrowser browser;
    quintrel::DashboardPopupFactory factory({"http://127.0.0.1:1", widgets}, browser,
                                            [] { return std::optional<QPoint>(QPoint(1180, 20)); });
    settle(300);
    std::printf("idle, no popup: %.1f MB PSS\n", treePssMB());

    auto content = factory.makeViewController("abcdefghij0123456789ABCDEFGHIJ0123456789");
    auto popover = factory.makePopover();
    auto* widget = dynamic_cast<quintrel::DashboardPopoverViewController*>(content.get());
    popover->setContentSize(content->preferredContentSize());
    popover->setContentViewController(content);

    const auto open = [&](const char* what) {
        QEventLoop loop;
        bool ok = false;
        const auto connection =
            QObject::connect(widget, &quintrel::DashboardPopoverViewController::pageLoadFinished,
                             &loop, [&](bool finished) {
                                 ok = finished;
                                 loop.quit();
                             });
        QElapsedTimer clock;
        clock.start();
        content->reloadSelectedTab();
        popover->show();
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        QObject::disconnect(connection);
        std::printf("%s: page %s after %lld ms\n", what, ok ? "loaded" : "NOT loaded",
                    static_cast<long long>(clock.elapsed()));
        settle(1500);
        std::printf("%s, open: %.1f MB PSS\n", what, treePssMB());
        std::fflush(stdout);
    };

    open("first open");
    popover->performClose();
    open("second open");
    popover->performClose();
    open("third open");
    popover->performClose();
    settle(3000);
    std::printf("hidden, web view kept: %.1f MB PSS\n", treePssMB());
    QMetaObject::invokeMethod(widget->findChild<QTimer*>("releaseWebView"), "timeout",
                              Qt::DirectConnection);
    settle(3000);
    std::printf("hidden, web view released: %.1f MB PSS\n", treePssMB());
    open("open after release");
    std::printf("window at %d,%d size %dx%d\n", widget->x(), widget->y(), widget->width(),
                widget->height());
    std::fflush(stdout);
    settle(openSeconds * 1000);
    popover->performClose();
    return 0;
}
