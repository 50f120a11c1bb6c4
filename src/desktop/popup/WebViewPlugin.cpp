#include "desktop/popup/WebViewPlugin.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QtGlobal>

namespace quintrel {

namespace {

constexpr const char* kPluginName = "libquintrel-webview.so";

bool hasRenderNode() {
    return !QDir("/dev/dri").entryList({"renderD*"}, QDir::System).isEmpty();
}

}  // namespace

void prepareDashboardWebView() {
    // Linking the web engine would set this at start; loading it as a plugin cannot.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium refuses to start its sandbox as root; a root session (containers, test
    // machines) gets the web view without it rather than no web view at all.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // Without a GPU, GL in the app and in Chromium only costs memory and prints errors.
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

QStringList webViewPluginPaths() {
    const QString prefix =
        QFileInfo(QCoreApplication::applicationDirPath() + "/..").absoluteFilePath();
    return {prefix + "/libexec/quintrel-companion/" + kPluginName,
#ifdef QUINTREL_WEBVIEW_BUILD_DIR
            QStringLiteral(QUINTREL_WEBVIEW_BUILD_DIR "/") + kPluginName
#endif
    };
}

DashboardWebViewFactory* webViewFactory() {
    static DashboardWebViewFactory* const factory = []() -> DashboardWebViewFactory* {
        for (const QString& path : webViewPluginPaths()) {
            if (!QFileInfo::exists(path)) {
                continue;
            }
            // Never unloaded: the web engine cannot be torn down and brought back.
            auto* loader = new QPluginLoader(path, QCoreApplication::instance());
            if (auto* found = qobject_cast<DashboardWebViewFactory*>(loader->instance())) {
                return found;
            }
            qWarning("Cannot load the web view from %s: %s", qPrintable(path),
                     qPrintable(loader->errorString()));
        }
        qWarning("No web view plugin found at %s",
                 qPrintable(webViewPluginPaths().join(QStringLiteral(" or "))));
        return nullptr;
    }();
    return factory;
}

}  // namespace quintrel
