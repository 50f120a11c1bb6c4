#include "popover/WebViewPlugin.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>
#include <QtGlobal>

namespace quintrel {

namespace {

constexpr const char* kPluginName = "libquintrel-webview.so";

bool hasRenderNode() { return !QDir("/dev/dri").entryList({"renderD*"}, QDir::System).isEmpty(); }

// Chromium reads its environment once, when the first page is made.
void prepareWebEngineEnvironment() {
    // Chromium refuses to start its sandbox as root; a root session (containers, test
    // machines) gets the web view without it rather than no web view at all.
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    // Without a GPU the GL paths only cost memory and print errors.
    if (!hasRenderNode()) {
        QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
        if (!flags.contains("--disable-gpu")) {
            flags += flags.isEmpty() ? "--disable-gpu" : " --disable-gpu";
            qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
        }
    }
}

}  // namespace

QStringList webViewPluginPaths() {
    const QString prefix = QFileInfo(QCoreApplication::applicationDirPath() + "/..").absoluteFilePath();
    return {prefix + "/lib/quintrel-companion/" + kPluginName,
            QStringLiteral(QUINTREL_WEBVIEW_BUILD_DIR "/") + kPluginName};
}

DashboardWebViewFactory* webViewFactory() {
    static DashboardWebViewFactory* const factory = []() -> DashboardWebViewFactory* {
        prepareWebEngineEnvironment();
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
        qWarning("No web view plugin found");
        return nullptr;
    }();
    return factory;
}

}  // namespace quintrel
