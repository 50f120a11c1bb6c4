#include "helpers/dashboard/DashboardWebView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <utility>

#include "popover/DashboardTabs.h"

namespace quintrel {

namespace {

// A page that asked for a window but never navigates is gone after this.
constexpr std::chrono::seconds kNewWindowLifetime{1};

// What the page answers for a click on an embedded frame, whose links it cannot read.
const QString kInFrame = QStringLiteral("*");

// Run in the helper's own script world, which the page's scripts cannot reach or redefine:
// the address of the link `element` is in ("" for none), or kInFrame.
QString clickedLinkScript(const QString& element) {
    return QStringLiteral(
               "(function(e){if(!e)return '';"
               "if(/^(IFRAME|FRAME|OBJECT|EMBED)$/.test(e.tagName))return '%2';"
               "var a=e.closest('a[href],area[href]');if(!a)return '';"
               "return typeof a.href==='string'?a.href:"
               "new URL(a.href.baseVal,document.baseURI).href;})(%1)")
        .arg(element, kInFrame);
}

}  // namespace

class DashboardWebView::Page final : public QWebEnginePage {
public:
    Page(QWebEngineProfile* profile, DashboardWebView& owner)
        : QWebEnginePage(profile, &owner), owner_(owner) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        // Only the helper's own load() and setHtml() are typed; a page cannot make one.
        if (type == NavigationTypeTyped) {
            return true;
        }
        return owner_.decide(url, isMainFrame, true);
    }
    QWebEnginePage* createWindow(WebWindowType) override;
    // Console lines can carry the widget URL with the API code: they stay in the page.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                  const QString&) override {}

private:
    DashboardWebView& owner_;
};

// Stands in for a window the page asked for: its first navigation carries the URL, which
// goes to the rules; the page itself is never shown.
class DashboardWebView::NewWindowPage final : public QWebEnginePage {
public:
    NewWindowPage(QWebEngineProfile* profile, DashboardWebView& owner)
        : QWebEnginePage(profile, &owner), owner_(owner) {
        QTimer::singleShot(kNewWindowLifetime, this, &QObject::deleteLater);
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (!handled_) {
            handled_ = true;
            owner_.newWindowAsks(url);
            deleteLater();
        }
        return false;
    }

private:
    DashboardWebView& owner_;
    bool handled_ = false;
};

QWebEnginePage* DashboardWebView::Page::createWindow(WebWindowType) {
    if (!owner_.allowNewWindow()) {
        return nullptr;
    }
    return new NewWindowPage(profile(), owner_);
}

DashboardWebView::DashboardWebView(std::string widgetBase, QWidget* parent)
    : QWidget(parent), widgetBase_(std::move(widgetBase)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    QWebEngineProfile* profile = QWebEngineProfile::defaultProfile();
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    view_ = new QWebEngineView(this);
    page_ = new Page(profile, *this);
    view_->setPage(page_);
    layout->addWidget(view_);
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, view_, &QWebEngineView::stop);
    connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) {
        timeout_.stop();
        emit loadFinished(ok);
    });
    // The web engine gives its input to a child widget it may replace at any time.
    qApp->installEventFilter(this);
}

// The pages go before the view and long before the profile.
DashboardWebView::~DashboardWebView() {
    for (auto* page : findChildren<QWebEnginePage*>(Qt::FindDirectChildrenOnly)) {
        delete page;
    }
}

void DashboardWebView::loadURL(const QUrl& url, std::chrono::milliseconds timeout) {
    timeout_.start(timeout);
    page_->load(url);
}

void DashboardWebView::loadHTML(const QString& html) {
    timeout_.stop();
    page_->setHtml(html);
}

bool DashboardWebView::decide(const QUrl& url, bool isMainFrame, bool hasTargetFrame) {
    const bool followsClick = click_ &&
                              std::chrono::steady_clock::now() - click_->at < kClickLifetime &&
                              (hasTargetFrame || clickedLinkIs(url));
    popover::NavigationAction action{hasTargetFrame, isMainFrame, std::nullopt, followsClick};
    if (!url.isEmpty()) {
        action.url = url.toString(QUrl::FullyEncoded).toStdString();
    }
    const auto policy = popover::decidePolicy(action, widgetBase_);
    if (policy.openInBrowser) {
        // One click, one link: a page that navigates in a loop gets one more, no more.
        click_.reset();
        waitingWindows_.clear();
        emit openInBrowser(QString::fromStdString(*policy.openInBrowser));
    }
    return policy.decision == popover::NavigationPolicy::Decision::allow;
}

bool DashboardWebView::allowNewWindow() {
    return newWindows_.take(std::chrono::steady_clock::now());
}

void DashboardWebView::newWindowAsks(const QUrl& url) {
    if (click_ && !click_->link) {
        // The budget already bounds how many windows get this far.
        waitingWindows_.push_back(url);
        return;
    }
    decide(url, true, false);
}

bool DashboardWebView::clickedLinkIs(const QUrl& url) const {
    return click_ && click_->link &&
           (*click_->link == kInFrame || (!click_->link->isEmpty() && QUrl(*click_->link) == url));
}

void DashboardWebView::askWhatWasClicked(std::optional<QPointF> at) {
    click_ = Click{std::chrono::steady_clock::now(), std::nullopt};
    waitingWindows_.clear();
    const quint64 click = ++clicks_;
    const double zoom = page_->zoomFactor();
    const QString element = at ? QStringLiteral("document.elementFromPoint(%1,%2)")
                                     .arg(at->x() / zoom)
                                     .arg(at->y() / zoom)
                               : QStringLiteral("document.activeElement");
    page_->runJavaScript(clickedLinkScript(element), QWebEngineScript::ApplicationWorld,
                         [self = QPointer(this), click](const QVariant& link) {
                             if (!self || click != self->clicks_ || !self->click_) {
                                 return;
                             }
                             self->click_->link = link.toString();
                             for (const QUrl& url : std::exchange(self->waitingWindows_, {})) {
                                 self->decide(url, true, false);
                             }
                         });
}

bool DashboardWebView::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::KeyPress) && watched->isWidgetType() &&
        view_->isAncestorOf(static_cast<QWidget*>(watched))) {
        std::optional<QPointF> at;
        if (type == QEvent::MouseButtonPress) {
            at = view_->mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition());
        }
        askWhatWasClicked(at);
    }
    return false;
}

}  // namespace quintrel
