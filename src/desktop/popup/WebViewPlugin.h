#pragma once
// Finds and loads the web-view plugin on first use; the executable itself never links
// the web engine.

#include <QStringList>

#include "desktop/popup/DashboardWebView.h"

namespace quintrel {

// Call before the QApplication is made: the web engine needs a shared GL context set up
// at start, and Chromium reads its environment once.
void prepareDashboardWebView();

// Where the plugin is looked for: beside the binary's prefix, then the build tree.
QStringList webViewPluginPaths();

// The loaded plugin, kept for the life of the process, or null (with a warning on
// standard error) when it cannot be loaded.
DashboardWebViewFactory* webViewFactory();

}  // namespace quintrel
