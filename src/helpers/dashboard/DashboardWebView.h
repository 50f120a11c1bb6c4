#pragma once
// The popup's web view. It applies the navigation rules itself, at once, inside the web
// engine's callback, and hands the links meant for the browser to whoever listens.

#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "util/RateBudget.h"

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
    // How long after a click (or key press) in the page one link may go to the browser:
    // long enough for a link whose page first redirects. A new window gets there only when
    // its address is the link clicked on: the web engine lets a page's scripts open windows
    // for a few seconds after any click, and a timer's window.open must not ride on that.
    static constexpr std::chrono::seconds kClickLifetime{5};

signals:
    // An http(s) link the user's browser should open.
    void openInBrowser(const QString& url);
    // A page load ended, well or not (a timeout ends it too).
    void loadFinished(bool ok);

private:
    class Page;
    class NewWindowPage;
    // A press in the page: what the user pressed on (or the focused element, for a key).
    struct Click {
        std::chrono::steady_clock::time_point at;
        // The link's address, "" for no link, a marker for an embedded frame; unset until
        // the page has answered.
        std::optional<QString> link;
    };

    bool decide(const QUrl& url, bool isMainFrame, bool hasTargetFrame);
    bool allowNewWindow();
    // A new window's first address: decided once the page has said what was clicked.
    void newWindowAsks(const QUrl& url);
    bool clickedLinkIs(const QUrl& url) const;
    void askWhatWasClicked(std::optional<QPointF> at);
    // Sees the user's clicks and key presses on their way into the web view.
    bool eventFilter(QObject* watched, QEvent* event) override;

    const std::string widgetBase_;
    QWebEngineView* view_;
    Page* page_;
    QTimer timeout_;
    RateBudget newWindows_{kNewWindowsPerMinute, std::chrono::minutes(1)};
    // The last click in the page that no link has used yet.
    std::optional<Click> click_;
    quint64 clicks_ = 0;
    // New windows that asked before the page said what the last click was on.
    std::vector<QUrl> waitingWindows_;
};

}  // namespace quintrel
