#include "helpers/dashboard/DashboardWindow.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <algorithm>

#include "popover/DashboardTabs.h"

namespace quintrel {

namespace {

constexpr int kMargin = 12;
constexpr int kLabelMargin = 14;
constexpr int kSegmentHeight = 28;
constexpr int kGap = 4;
constexpr std::chrono::seconds kLoadTimeout{60};

bool onWayland() {
    return QGuiApplication::platformName().startsWith("wayland");
}

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

QPoint popupPosition(QSize size, QPoint anchor, QRect available) {
    int x = anchor.x() - size.width() / 2;
    int y =
        anchor.y() < available.center().y() ? anchor.y() + kGap : anchor.y() - kGap - size.height();
    x = std::clamp(x, available.left(),
                   std::max(available.left(), available.right() + 1 - size.width()));
    y = std::clamp(y, available.top(),
                   std::max(available.top(), available.bottom() + 1 - size.height()));
    return {x, y};
}

DashboardWindow::DashboardWindow(std::string widgetBase)
    : segmentedControl(new SegmentedControl(tabLabels(), this)),
      lastCheckedLabel(new ElidedLabel("Last checked: Never", this)),
      lastErrorLabel(new ElidedLabel("Last error: None", this)),
      openDashboardButton(new QPushButton("Open Dashboard", this)),
      settingsButton(new QPushButton("Settings", this)),
      quitButton(new QPushButton("Quit", this)),
      privacyPolicyButton(new LinkButton("Privacy Policy", this)),
      termsButton(new LinkButton("Terms", this)),
      webView(new DashboardWebView(std::move(widgetBase), this)) {
    setWindowTitle("Quintrel");
    setWindowFlags(onWayland() ? Qt::Dialog | Qt::FramelessWindowHint
                               : Qt::Popup | Qt::FramelessWindowHint);
    resize(popover::kPreferredWidth, popover::kPreferredHeight);
    buildInterface();
}

void DashboardWindow::buildInterface() {
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);

    segmentedControl->setSelectedSegment(0);
    segmentedControl->setAccessibleName("Widgets");
    connect(segmentedControl, &SegmentedControl::segmentSelected, this,
            &DashboardWindow::tabSelected);

    for (ElidedLabel* label : {lastCheckedLabel, lastErrorLabel}) {
        label->setFont(smallFont(this));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
        label->setPalette(palette);
    }

    const auto report = [this](QPushButton* button, const QString& name) {
        connect(button, &QPushButton::clicked, this, [this, name] { emit buttonClicked(name); });
        button->setAutoDefault(false);
    };
    report(openDashboardButton, "dashboard");
    report(settingsButton, "settings");
    report(quitButton, "quit");
    for (auto [link, name] : {std::pair{privacyPolicyButton, "privacy"}, {termsButton, "terms"}}) {
        connect(link, &QPushButton::clicked, this, [this, name] { emit buttonClicked(name); });
    }
    for (QWidget* child : std::initializer_list<QWidget*>{
             segmentedControl, webView, lastCheckedLabel, lastErrorLabel, quitButton,
             privacyPolicyButton, termsButton, settingsButton, openDashboardButton}) {
        child->adjustSize();
    }

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)}) {
        auto* refresh = new QShortcut(keys, this);
        refresh->setContext(Qt::WindowShortcut);
        connect(refresh, &QShortcut::activated, this, [this] { emit buttonClicked("refresh"); });
    }
    layoutControls();
}

// The popup's fixed geometry: margins of 12 around the content, the labels inset by 14,
// the web view taking all the height that is left.
void DashboardWindow::layoutControls() {
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
    webView->setGeometry(kMargin, webTop, w - 2 * kMargin, std::max(0, webBottom - webTop));
}

void DashboardWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void DashboardWindow::showAt(QPoint anchor, int segment) {
    segmentedControl->blockSignals(true);
    segmentedControl->setSelectedSegment(segment);
    segmentedControl->blockSignals(false);
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen) {
        const QRect available = screen->availableGeometry();
        move(onWayland() ? available.center() - QPoint(width(), height()) / 2
                         : popupPosition(size(), anchor, available));
    }
    show();
    raise();
    activateWindow();
}

void DashboardWindow::dismiss() {
    dismissing_ = true;
    hide();
    dismissing_ = false;
}

void DashboardWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!dismissing_) {
        emit closedByUser();
    }
}

void DashboardWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // No popup grab on Wayland: losing the focus is the click elsewhere.
    if (event->type() == QEvent::ActivationChange && onWayland() && isVisible() &&
        !isActiveWindow() && !dismissing_) {
        close();
    }
}

void DashboardWindow::loadURL(const QUrl& url) {
    webView->loadURL(url, kLoadTimeout);
}

void DashboardWindow::loadNoCodePage() {
    const auto html = popover::kNoCodePage;
    webView->loadHTML(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
}

void DashboardWindow::setStatusLines(const QString& lastChecked, const QString& lastError) {
    lastCheckedLabel->setText(lastChecked);
    lastErrorLabel->setText(lastError);
}

}  // namespace quintrel
