#pragma once
// Finds and loads the web-view plugin on first use; the executable itself never links
// the web engine.

#include <QStringList>

#include "popover/DashboardWebView.h"

namespace quintrel {

// Where the plugin is looked for: beside the binary's prefix, then the build tree.
QStringList webViewPluginPaths();

// The loaded plugin, kept for the life of the process, or null (with a warning on
// standard error) when it cannot be loaded.
DashboardWebViewFactory* webViewFactory();

}  // namespace quintrel
