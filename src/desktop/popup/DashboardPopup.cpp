#include "desktop/popup/DashboardPopup.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include "desktop/popup/DashboardPopoverViewController.h"
#include "desktop/popup/WebViewPlugin.h"
#include "settings/QuintrelLegalLinks.h"

namespace quintrel {

namespace {

// A Wayland client cannot place its windows, and its popups need a parent window.
bool onWayland() {
    return QGuiApplication::platformName().startsWith("wayland");
}

constexpr int kGap = 4;

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

DashboardPopup::DashboardPopup(TrayPosition trayPosition)
    : trayPosition_(std::move(trayPosition)) {}

DashboardPopup::~DashboardPopup() {
    if (auto* widget = window()) {
        widget->removeEventFilter(this);
    }
}

DashboardPopoverViewController* DashboardPopup::window() const {
    return dynamic_cast<DashboardPopoverViewController*>(content_.get());
}

bool DashboardPopup::isShown() const {
    const auto* widget = window();
    if (widget && widget->isVisible()) {
        return true;
    }
    return dismissedAt_ && std::chrono::steady_clock::now() - *dismissedAt_ < kDismissGrace;
}

void DashboardPopup::performClose() {
    dismissedAt_.reset();
    if (auto* widget = window(); widget && widget->isVisible()) {
        closing_ = true;
        widget->close();
        closing_ = false;
    }
}

void DashboardPopup::setContentSize(ContentSize size) {
    size_ = QSize(size.width, size.height);
}

void DashboardPopup::setContentViewController(std::shared_ptr<DashboardPopoverContent> content) {
    if (content == content_) {
        return;
    }
    if (auto* old = window()) {
        old->removeEventFilter(this);
    }
    content_ = std::move(content);
    if (auto* widget = window()) {
        widget->setWindowTitle("Quintrel");
        widget->setWindowFlags(onWayland() ? Qt::Dialog | Qt::FramelessWindowHint
                                           : Qt::Popup | Qt::FramelessWindowHint);
        widget->installEventFilter(this);
    }
}

void DashboardPopup::show() {
    auto* widget = window();
    if (!widget) {
        return;
    }
    dismissedAt_.reset();
    if (size_.isValid()) {
        widget->resize(size_);
    }
    const QPoint anchor = trayPosition_ ? trayPosition_().value_or(QCursor::pos()) : QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen) {
        const QRect available = screen->availableGeometry();
        widget->move(onWayland()
                         ? available.center() - QPoint(widget->width(), widget->height()) / 2
                         : popupPosition(widget->size(), anchor, available));
    }
    widget->show();
    widget->raise();
    widget->activateWindow();
}

bool DashboardPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window()) {
        if (event->type() == QEvent::Hide && !closing_) {
            dismissedAt_ = std::chrono::steady_clock::now();
        } else if (event->type() == QEvent::WindowDeactivate && onWayland() && !closing_) {
            // No popup grab on Wayland: losing the focus is the click elsewhere.
            window()->close();
        }
    }
    return QObject::eventFilter(watched, event);
}

DashboardPopupFactory::DashboardPopupFactory(ServiceEndpoints service, Browser& browser,
                                             TrayPosition trayPosition)
    : service_(std::move(service)), browser_(browser), trayPosition_(std::move(trayPosition)) {}

std::shared_ptr<DashboardPopoverContent> DashboardPopupFactory::makeViewController(
    const std::string& apiCode) {
    return std::make_shared<DashboardPopoverViewController>(
        apiCode, service_.widgetURL, QuintrelLegalLinks::forService(service_.baseURL), browser_,
        [](QWidget* parent) -> DashboardWebView* {
            auto* factory = webViewFactory();
            return factory ? factory->makeWebView(parent) : nullptr;
        });
}

std::unique_ptr<DashboardPopover> DashboardPopupFactory::makePopover() {
    return std::make_unique<DashboardPopup>(trayPosition_);
}

}  // namespace quintrel
