#pragma once
// The popup's web view. It applies the navigation rules itself, at once, inside the web
// engine's callback, and hands the links meant for the browser to whoever listens.

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <deque>
#include <string>

class QWebEngineView;
class QWebEnginePage;

namespace quintrel {

class DashboardWebView final : public QWidget {
    Q_OBJECT

public:
    // `widgetBase`: the host the main frame may stay on.
    DashboardWebView(std::string widgetBase, QWidget* parent);
    ~DashboardWebView() override;

    // Gives up the load when it has not finished within `timeout`.
    void loadURL(const QUrl& url, std::chrono::milliseconds timeout);
    // No base URL: the page cannot reach anything relative.
    void loadHTML(const QString& html);

    // New windows a page may ask for in a minute; past that they are dropped unseen.
    static constexpr int kNewWindowsPerMinute = 5;

signals:
    // An http(s) link the user's browser should open.
    void openInBrowser(const QString& url);
    // A page load ended, well or not (a timeout ends it too).
    void loadFinished(bool ok);

private:
    class Page;
    class NewWindowPage;
    bool decide(const QUrl& url, bool isMainFrame, bool hasTargetFrame);
    bool allowNewWindow();

    const std::string widgetBase_;
    QWebEngineView* view_;
    Page* page_;
    QTimer timeout_;
    std::deque<std::chrono::steady_clock::time_point> newWindows_;
};

}  // namespace quintrel
