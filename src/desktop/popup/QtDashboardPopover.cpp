#include "desktop/popup/QtDashboardPopover.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "desktop/popup/DashboardPopoverViewController.h"
#include "settings/QuintrelLegalLinks.h"

namespace quintrel {

using popover::MessageType;

QtDashboardPopover::QtDashboardPopover(std::shared_ptr<DashboardHelperProcess> helper,
                                       TrayPosition trayPosition)
    : helper_(std::move(helper)), trayPosition_(std::move(trayPosition)) {
    connect(helper_.get(), &DashboardHelperProcess::received, this,
            [this](const popover::DashboardMessage& message) {
                if (message.type == MessageType::hidden && shown_) {
                    shown_ = false;
                    dismissedAt_ = std::chrono::steady_clock::now();
                    helper_->scheduleRelease();
                }
            });
    connect(helper_.get(), &DashboardHelperProcess::ended, this, [this] {
        shown_ = false;
        dismissedAt_.reset();
    });
}

bool QtDashboardPopover::isShown() const {
    return shown_ ||
           (dismissedAt_ && std::chrono::steady_clock::now() - *dismissedAt_ < kDismissGrace);
}

void QtDashboardPopover::performClose() {
    dismissedAt_.reset();
    if (shown_) {
        shown_ = false;
        helper_->send({MessageType::hide, {}});
        helper_->scheduleRelease();
    }
}

void QtDashboardPopover::setContentViewController(
    std::shared_ptr<DashboardPopoverContent> content) {
    content_ = std::move(content);
}

void QtDashboardPopover::show(PopupPlace place) {
    auto* controller = dynamic_cast<DashboardPopoverViewController*>(content_.get());
    if (!controller || !helper_->ensureRunning()) {
        return;
    }
    dismissedAt_.reset();
    controller->viewWillAppear();
    // On X11 the popup opens where the tray was clicked, else at the pointer.
    const auto atTray =
        place == PopupPlace::trayItem && trayPosition_ ? trayPosition_() : std::nullopt;
    QPoint anchor = atTray.value_or(QCursor::pos());
    // A tray host may report any position at all.
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (const QRect desktop = screen ? screen->virtualGeometry() : QRect(); !desktop.isEmpty()) {
        anchor = {std::clamp(anchor.x(), desktop.left(), desktop.right()),
                  std::clamp(anchor.y(), desktop.top(), desktop.bottom())};
    }
    helper_->cancelRelease();
    helper_->send(popover::showMessage(anchor.x(), anchor.y(), controller->selectedSegment()));
    shown_ = true;
}

QtDashboardPopoverFactory::QtDashboardPopoverFactory(ServiceEndpoints service, Browser& browser,
                                                     TrayPosition trayPosition,
                                                     std::optional<QString> helperProgram)
    : service_(std::move(service)),
      browser_(browser),
      trayPosition_(std::move(trayPosition)),
      helper_(
          std::make_shared<DashboardHelperProcess>(std::move(helperProgram), service_.widgetURL)) {}

std::shared_ptr<DashboardPopoverContent> QtDashboardPopoverFactory::makeViewController(
    const std::string& apiCode) {
    return std::make_shared<DashboardPopoverViewController>(
        apiCode, service_.widgetURL, QuintrelLegalLinks::forService(service_.baseURL), browser_,
        helper_);
}

std::unique_ptr<DashboardPopover> QtDashboardPopoverFactory::makePopover() {
    return std::make_unique<QtDashboardPopover>(helper_, trayPosition_);
}

}  // namespace quintrel
