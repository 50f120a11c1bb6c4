// quintrel-dashboard: draws the dashboard popup for the app, which starts it on demand and
// drives it over standard input and output. Only this process loads the web engine, so
// the app is small again once the helper has quit, and remote pages never share a process
// with the preferences and the API code.

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLoggingCategory>
#include <QUrl>
#include <cstdio>
#include <memory>

#include "helpers/dashboard/DashboardWindow.h"
#include "helpers/dashboard/StdioChannel.h"

namespace {

bool hasRenderNode() {
    return !QDir("/dev/dri").entryList({"renderD*"}, QDir::System).isEmpty();
}

// Chromium reads its environment once, before the application exists.
void prepareWebEngine() {
    // Chromium refuses to start its sandbox as root; a root session (containers, test
    // machines) gets the web view without it rather than no web view at all. Only this
    // process ever has this variable: the app does not set it for anything it starts.
    if (::geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // Without a GPU, GL here and in Chromium only costs memory and prints errors.
    if (!hasRenderNode()) {
        if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) {
            qputenv("QT_XCB_GL_INTEGRATION", "none");
        }
        // The web view draws through Qt Quick, which then needs its software renderer.
        if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
            qputenv("QT_QUICK_BACKEND", "software");
        }
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--disable-gpu")) {
            flags += flags.isEmpty() ? "--disable-gpu" : " --disable-gpu";
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
        }
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    using namespace quintrel;
    using popover::DashboardMessage;
    using popover::MessageType;

    prepareWebEngine();
    // The web engine's start-up report would fill the app's log on every first click.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quintrel-dashboard"));
    QApplication::setDesktopFileName(QStringLiteral("com.quintrel.Companion"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.quintrel.Companion")));
    QApplication::setQuitOnLastWindowClosed(false);

    StdioChannel channel;
    std::unique_ptr<DashboardWindow> window;
    int status = 0;

    QObject::connect(&channel, &StdioChannel::failed, [&status](const QString& why) {
        if (!why.isEmpty()) {
            std::fprintf(stderr, "quintrel-dashboard: refused a message from the app: %s\n",
                         qPrintable(why));
            status = 1;
        }
        QApplication::quit();
    });
    QObject::connect(&channel, &StdioChannel::received, [&](const DashboardMessage& message) {
        const auto text = [&message](std::size_t i) {
            return QString::fromStdString(message.fields[i]);
        };
        switch (message.type) {
            case MessageType::config:
                window = std::make_unique<DashboardWindow>(message.fields[0]);
                QObject::connect(window.get(), &DashboardWindow::tabSelected, &channel,
                                 [&channel](int segment) {
                                     channel.send({MessageType::tab, {std::to_string(segment)}});
                                 });
                QObject::connect(window.get(), &DashboardWindow::buttonClicked, &channel,
                                 [&channel](const QString& name) {
                                     channel.send({MessageType::button, {name.toStdString()}});
                                 });
                QObject::connect(window.get(), &DashboardWindow::closedByUser, &channel,
                                 [&channel] {
                                     channel.send({MessageType::hidden, {}});
                                 });
                QObject::connect(window->webView, &DashboardWebView::openInBrowser, &channel,
                                 [&channel](const QString& url) {
                                     channel.send({MessageType::open, {url.toStdString()}});
                                 });
                QObject::connect(window->webView, &DashboardWebView::loadFinished, &channel,
                                 [&channel](bool ok) {
                                     channel.send({MessageType::loaded, {ok ? "1" : "0"}});
                                 });
                channel.send({MessageType::ready, {}});
                break;
            case MessageType::show:
                window->showAt(QPoint(text(0).toInt(), text(1).toInt()), text(2).toInt());
                break;
            case MessageType::hide:
                window->dismiss();
                break;
            case MessageType::load:
                window->loadURL(QUrl(text(0), QUrl::StrictMode));
                break;
            case MessageType::noCode:
                window->loadNoCodePage();
                break;
            case MessageType::status:
                window->setStatusLines(text(0), text(1));
                break;
            case MessageType::quit:
                QApplication::quit();
                break;
            default:
                break;
        }
    });
    const int result = QApplication::exec();
    // Every page must be gone before the web engine's profile is.
    window.reset();
    return status ? status : result;
}
