// The plugin that provides the popup's web view on QtWebEngine.

#include <QObject>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "desktop/popup/DashboardWebView.h"

namespace quintrel {
namespace {

// Stands in for a window the page asked for: its first navigation carries the URL,
// which goes to the policy; the page itself is never shown.
class NewWindowPage final : public QWebEnginePage {
public:
    NewWindowPage(QWebEngineProfile* profile, QObject* parent,
                  const DashboardWebView::NavigationPolicy& policy)
        : QWebEnginePage(profile, parent), policy_(policy) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (!handled_) {
            handled_ = true;
            if (policy_) {
                policy_(false, url);
            }
            deleteLater();
        }
        return false;
    }

private:
    const DashboardWebView::NavigationPolicy& policy_;
    bool handled_ = false;
};

class PolicyPage final : public QWebEnginePage {
public:
    PolicyPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}
    DashboardWebView::NavigationPolicy policy;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        return !policy || policy(true, url);
    }
    // A target=_blank link or window.open(): the catcher page learns the URL. Parented to
    // this page so that it never outlives it.
    QWebEnginePage* createWindow(WebWindowType) override {
        return new NewWindowPage(profile(), this, policy);
    }
};

class WebEngineDashboardView final : public DashboardWebView {
public:
    explicit WebEngineDashboardView(QWidget* parent) : DashboardWebView(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        view_ = new QWebEngineView(this);
        page_ = new PolicyPage(QWebEngineProfile::defaultProfile(), view_);
        view_->setPage(page_);
        layout->addWidget(view_);
        timeout_.setSingleShot(true);
        QObject::connect(&timeout_, &QTimer::timeout, view_, &QWebEngineView::stop);
        QObject::connect(view_, &QWebEngineView::loadFinished, &timeout_, &QTimer::stop);
    }
    // The page goes before the view and long before the profile.
    ~WebEngineDashboardView() override { delete page_; }

    void loadURL(const QUrl& url, std::chrono::milliseconds timeout) override {
        timeout_.start(timeout);
        page_->load(url);
    }
    void loadHTML(const QString& html) override {
        timeout_.stop();
        page_->setHtml(html);
    }
    void setNavigationPolicy(NavigationPolicy policy) override {
        page_->policy = std::move(policy);
    }
    void setLoadFinishedHandler(std::function<void(bool ok)> handler) override {
        QObject::disconnect(finished_);
        finished_ = QObject::connect(view_, &QWebEngineView::loadFinished, view_,
                                     [handler = std::move(handler)](bool ok) { handler(ok); });
    }

private:
    QWebEngineView* view_;
    PolicyPage* page_;
    QTimer timeout_;
    QMetaObject::Connection finished_;
};

}  // namespace

class WebEngineDashboardViewFactory final : public QObject, public DashboardWebViewFactory {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QuintrelDashboardWebViewFactory_iid)
    Q_INTERFACES(quintrel::DashboardWebViewFactory)

public:
    DashboardWebView* makeWebView(QWidget* parent) override {
        return new WebEngineDashboardView(parent);
    }
};

}  // namespace quintrel

#include "WebEngineDashboardView.moc"
