#include "desktop/settings/QtSettingsWindows.h"

#include <QWindow>

#include "desktop/settings/ViewController.h"

namespace quintrel {

namespace {

class SettingsWindowControllerQt final : public SettingsWindowController {
public:
    explicit SettingsWindowControllerQt(std::unique_ptr<ViewController> view)
        : view_(std::move(view)) {}

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
    std::unique_ptr<ViewController> view_;
};

}  // namespace

QtSettingsWindows::QtSettingsWindows(SettingsServices services,
                                     std::function<void()> playStartupSound)
    : services_(std::move(services)), playStartupSound_(std::move(playStartupSound)) {}

std::unique_ptr<SettingsWindowController> QtSettingsWindows::makeSettingsWindow() {
    auto view = std::make_unique<ViewController>(services_, playStartupSound_);
    view->setWindowTitle(QStringLiteral("Quintrel Configuration"));
    // Closing the window only hides it, and never ends a tray application.
    view->setAttribute(Qt::WA_QuitOnClose, false);
    view->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    return std::make_unique<SettingsWindowControllerQt>(std::move(view));
}

}  // namespace quintrel
