#include "desktop/settings/SettingsWindowFactory.h"

#include <QWindow>

#include "desktop/settings/SettingsWindow.h"

namespace quintrel {

namespace {

// Shows the one window and brings it to the front.
class ShownSettingsWindow final : public SettingsWindowController {
public:
    explicit ShownSettingsWindow(std::unique_ptr<SettingsWindow> view) : view_(std::move(view)) {}

    void showWindow() override {
        view_->show();
        view_->raise();
        view_->activateWindow();
        // On Wayland only the compositor decides; asking is all a client can do.
        if (QWindow* handle = view_->windowHandle()) {
            handle->requestActivate();
        }
    }

private:
    std::unique_ptr<SettingsWindow> view_;
};

}  // namespace

SettingsWindowFactory::SettingsWindowFactory(SettingsServices services,
                                             std::function<void()> playStartupSound)
    : services_(std::move(services)), playStartupSound_(std::move(playStartupSound)) {}

std::unique_ptr<SettingsWindowController> SettingsWindowFactory::makeSettingsWindow(
    SaveReports reports) {
    auto view = std::make_unique<SettingsWindow>(services_, std::move(reports), playStartupSound_);
    view->setWindowTitle(QStringLiteral("Quintrel Configuration"));
    // Closing the window only hides it, and never ends a tray application.
    view->setAttribute(Qt::WA_QuitOnClose, false);
    view->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    return std::make_unique<ShownSettingsWindow>(std::move(view));
}

}  // namespace quintrel
