#include "desktop/popup/DashboardPopoverViewController.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QShortcut>
#include <QVBoxLayout>

namespace quintrel {

namespace {

constexpr int kMargin = 12;
constexpr int kLabelMargin = 14;
constexpr int kSegmentHeight = 28;
constexpr std::chrono::seconds kLoadTimeout{60};

QStringList tabLabels() {
    QStringList labels;
    for (const auto& tab : popover::dashboardTabs()) {
        labels << QString::fromUtf8(tab.label.data(), static_cast<qsizetype>(tab.label.size()));
    }
    return labels;
}

QFont smallFont(const QWidget* widget) {
    QFont font = widget->font();
    font.setPointSizeF(11);
    return font;
}

}  // namespace

DashboardPopoverViewController::DashboardPopoverViewController(std::string apiCode,
                                                               std::string widgetBase,
                                                               QuintrelLegalLinks legalLinks,
                                                               Browser& browser,
                                                               WebViewSource webViews)
    : segmentedControl(new SegmentedControl(tabLabels(), this)),
      lastCheckedLabel(new ElidedLabel("Last checked: Never", this)),
      lastErrorLabel(new ElidedLabel("Last error: None", this)),
      openDashboardButton(new QPushButton("Open Dashboard", this)),
      settingsButton(new QPushButton("Settings", this)),
      quitButton(new QPushButton("Quit", this)),
      privacyPolicyButton(
          legalLinkButton("Privacy Policy", &DashboardPopoverViewController::openPrivacyPolicy)),
      termsButton(legalLinkButton("Terms", &DashboardPopoverViewController::openTerms)),
      webArea(new QWidget(this)),
      apiCode_(std::move(apiCode)),
      widgetBase_(std::move(widgetBase)),
      legalLinks_(std::move(legalLinks)),
      browser_(browser),
      webViews_(std::move(webViews)),
      releaseTimer_(this) {
    resize(popover::kPreferredWidth, popover::kPreferredHeight);
    buildInterface();
    releaseTimer_.setObjectName("releaseWebView");
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(kReleaseWebViewAfter);
    connect(&releaseTimer_, &QTimer::timeout, this,
            &DashboardPopoverViewController::releaseWebView);
    // Every page must be gone before the web engine's profile is, at the latest when the
    // event loop ends.
    if (auto* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this,
                &DashboardPopoverViewController::releaseWebView);
    }
}

DashboardPopoverViewController::~DashboardPopoverViewController() {
    releaseWebView();
}

void DashboardPopoverViewController::buildInterface() {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    segmentedControl->setSelectedSegment(0);
    connect(segmentedControl, &SegmentedControl::segmentSelected, this,
            &DashboardPopoverViewController::tabChanged);

    new QVBoxLayout(webArea);
    webArea->layout()->setContentsMargins(0, 0, 0, 0);

    for (ElidedLabel* label : {lastCheckedLabel, lastErrorLabel}) {
        label->setFont(smallFont(this));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
        label->setPalette(palette);
    }

    connect(openDashboardButton, &QPushButton::clicked, this,
            &DashboardPopoverViewController::openDashboard);
    connect(settingsButton, &QPushButton::clicked, this,
            &DashboardPopoverViewController::openSettings);
    connect(quitButton, &QPushButton::clicked, this, &DashboardPopoverViewController::quit);
    for (QPushButton* button : {openDashboardButton, settingsButton, quitButton}) {
        button->setAutoDefault(false);
    }
    for (QWidget* child : std::initializer_list<QWidget*>{
             segmentedControl, webArea, lastCheckedLabel, lastErrorLabel, quitButton,
             privacyPolicyButton, termsButton, settingsButton, openDashboardButton}) {
        child->adjustSize();
    }

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    layoutControls();
}

QPushButton* DashboardPopoverViewController::legalLinkButton(
    const QString& title, void (DashboardPopoverViewController::*action)()) {
    auto* button = new QPushButton(title, this);
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setCursor(Qt::PointingHandCursor);
    button->setFont(smallFont(this));
    button->setToolTip("Open Quintrel " + title);
    button->setStyleSheet(
        "QPushButton { border: none; padding: 0px; color: palette(link);"
        " text-decoration: underline; background: transparent; }");
    connect(button, &QPushButton::clicked, this, action);
    return button;
}

// The popup's fixed geometry: margins of 12 around the content, the labels inset by 14,
// the web view taking all the height that is left.
void DashboardPopoverViewController::layoutControls() {
    const int w = width();
    const int h = height();
    const auto place = [](QWidget* widget, int x, int bottom) {
        const QSize size = widget->sizeHint();
        widget->setGeometry(x, bottom - size.height(), size.width(), size.height());
    };

    segmentedControl->setGeometry(kMargin, kMargin, w - 2 * kMargin, kSegmentHeight);

    place(quitButton, kMargin, h - kMargin);
    const int rowCentre = quitButton->geometry().center().y();
    const auto centreOnRow = [rowCentre](QWidget* widget, int x) {
        const QSize size = widget->sizeHint();
        widget->setGeometry(x, rowCentre - size.height() / 2, size.width(), size.height());
    };
    centreOnRow(privacyPolicyButton, quitButton->geometry().right() + 1 + 14);
    centreOnRow(termsButton, privacyPolicyButton->geometry().right() + 1 + 10);
    place(settingsButton, w - kMargin - settingsButton->sizeHint().width(), h - kMargin);
    place(openDashboardButton,
          settingsButton->geometry().left() - 8 - openDashboardButton->sizeHint().width(),
          h - kMargin);

    const int labelWidth = w - 2 * kLabelMargin;
    const int labelHeight = lastErrorLabel->sizeHint().height();
    const int errorBottom = openDashboardButton->geometry().top() - 10;
    lastErrorLabel->setGeometry(kLabelMargin, errorBottom - labelHeight, labelWidth, labelHeight);
    const int checkedBottom = lastErrorLabel->geometry().top() - 2;
    lastCheckedLabel->setGeometry(kLabelMargin, checkedBottom - labelHeight, labelWidth,
                                  labelHeight);

    const int webTop = segmentedControl->geometry().bottom() + 1 + 10;
    const int webBottom = lastCheckedLabel->geometry().top() - 8;
    webArea->setGeometry(kMargin, webTop, w - 2 * kMargin, std::max(0, webBottom - webTop));
}

void DashboardPopoverViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void DashboardPopoverViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    releaseTimer_.stop();
    if (!viewLoaded_) {
        viewDidLoad();
        return;
    }
    if (!webView_ && pendingLoad_) {
        load(*std::exchange(pendingLoad_, std::nullopt));
    }
}

void DashboardPopoverViewController::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (webView_) {
        releaseTimer_.start();
    }
}

void DashboardPopoverViewController::viewDidLoad() {
    viewLoaded_ = true;
    reloadSelectedTab();
}

void DashboardPopoverViewController::reloadSelectedTab() {
    if (const auto page = popover::reloadSelectedTab(viewLoaded_, widgetBase_, apiCode_,
                                                     segmentedControl->selectedSegment())) {
        load(*page);
    }
}

void DashboardPopoverViewController::load(const popover::PageLoad& page) {
    // A hidden popup does not bring its released web view back; its next show does.
    if (!webView_ && !isVisible()) {
        pendingLoad_ = page;
        return;
    }
    if (!ensureWebView()) {
        return;
    }
    if (page.kind == popover::PageLoad::Kind::remoteWidget) {
        webView_->loadURL(QUrl(QString::fromStdString(page.url), QUrl::StrictMode), kLoadTimeout);
    } else {
        const auto html = popover::kNoCodePage;
        webView_->loadHTML(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
    }
}

bool DashboardPopoverViewController::ensureWebView() {
    if (webView_) {
        return true;
    }
    pendingLoad_.reset();
    DashboardWebView* view = webViews_ ? webViews_(webArea) : nullptr;
    if (!view) {
        return false;
    }
    view->setNavigationPolicy(
        [this](bool hasTargetFrame, const QUrl& url) { return decidePolicy(hasTargetFrame, url); });
    view->setLoadFinishedHandler([this](bool ok) { emit pageLoadFinished(ok); });
    webArea->layout()->addWidget(view);
    webView_ = view;
    return true;
}

void DashboardPopoverViewController::releaseWebView() {
    releaseTimer_.stop();
    delete webView_.data();
}

bool DashboardPopoverViewController::decidePolicy(bool hasTargetFrame, const QUrl& url) {
    popover::NavigationAction action{hasTargetFrame, std::nullopt};
    if (!url.isEmpty()) {
        action.url = url.toString(QUrl::FullyEncoded).toStdString();
    }
    const auto policy = popover::decidePolicy(action);
    if (policy.openInBrowser) {
        browser_.openURL(*policy.openInBrowser);
    }
    return policy.decision == popover::NavigationPolicy::Decision::allow;
}

void DashboardPopoverViewController::updateStatus(const std::string& lastChecked,
                                                  const std::string& lastError, bool) {
    const auto lines = popover::statusLines(lastChecked, lastError);
    lastCheckedLabel->setText(QString::fromStdString(lines.lastChecked));
    lastErrorLabel->setText(QString::fromStdString(lines.lastError));
}

void DashboardPopoverViewController::tabChanged() {
    reloadSelectedTab();
}

void DashboardPopoverViewController::openDashboard() {
    if (openDashboardHandler) {
        openDashboardHandler();
    }
}

void DashboardPopoverViewController::openSettings() {
    if (openSettingsHandler) {
        openSettingsHandler();
    }
}

void DashboardPopoverViewController::quit() {
    if (quitHandler) {
        quitHandler();
    }
}

void DashboardPopoverViewController::openPrivacyPolicy() {
    browser_.openURL(legalLinks_.privacyPolicy);
}

void DashboardPopoverViewController::openTerms() {
    browser_.openURL(legalLinks_.terms);
}

}  // namespace quintrel
