#pragma once
// The web view of the dashboard popup as the app sees it. The implementation lives in
// a plugin that alone links the web engine, loaded when the popup is first shown.

#include <QUrl>
#include <QWidget>
#include <QtPlugin>
#include <chrono>
#include <functional>

namespace quintrel {

class DashboardWebView : public QWidget {
public:
    using QWidget::QWidget;

    // Answers whether a navigation may go ahead. `hasTargetFrame` is false for a request
    // to open a new window; `url` is empty when the request carries none.
    using NavigationPolicy = std::function<bool(bool hasTargetFrame, const QUrl& url)>;

    // Gives up the load when it has not finished within `timeout`.
    virtual void loadURL(const QUrl& url, std::chrono::milliseconds timeout) = 0;
    // No base URL: the page cannot reach anything relative.
    virtual void loadHTML(const QString& html) = 0;
    virtual void setNavigationPolicy(NavigationPolicy policy) = 0;
    // Told when a load ends, well or not (a timeout ends it too).
    virtual void setLoadFinishedHandler(std::function<void(bool ok)> handler) = 0;
};

class DashboardWebViewFactory {
public:
    virtual ~DashboardWebViewFactory() = default;
    // The view belongs to `parent`.
    virtual DashboardWebView* makeWebView(QWidget* parent) = 0;
};

}  // namespace quintrel

#define QuintrelDashboardWebViewFactory_iid "com.quintrel.companion.DashboardWebViewFactory/1"
Q_DECLARE_INTERFACE(quintrel::DashboardWebViewFactory, QuintrelDashboardWebViewFactory_iid)
