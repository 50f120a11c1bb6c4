#include "app/AppDelegate.h"

#include <cstdlib>

namespace quintrel {

AppDelegate::AppDelegate(Platform platform, ServiceEndpoints service, BundleInfo bundle,
                         DelegateOptions options)
    : platform(platform),
      service(std::move(service)),
      bundle(std::move(bundle)),
      options_(options) {}

void AppDelegate::applicationDidFinishLaunching() {
    is_screen_active = 1;

    // Registrations hold the delegate weakly: it owns them, and they end with it.
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    timer = platform.mainQueue.scheduleRepeating(options_.pollInterval, [weak] {
        if (const auto self = weak.lock()) {
            self->runTimedCode();
        }
    });
    platform.idleTime.expectAskEvery(options_.pollInterval);
    platform.screenLock.observe(
        [weak] {
            if (const auto self = weak.lock()) {
                self->is_screen_active = 0;
            }
        },
        [weak] {
            if (const auto self = weak.lock()) {
                self->is_screen_active = 1;
            }
        });

    statusItem = platform.statusBar.makeStatusItem();
    if (statusItem && statusItem->hasButton()) {
        statusItem->setAction([weak] {
            if (const auto self = weak.lock()) {
                self->statusItemClicked();
            }
        });
        statusItem->setMenu(statusMenuEntries());
        // The tray shows each new title; the status's other parts are not its concern.
        trayObservation_ =
            observeStatus([item = statusItem.get(),
                           shown = std::optional<std::string>()](const Status& status) mutable {
                if (shown != status.title) {
                    shown = status.title;
                    item->setTitle(status.title, status.count);
                }
            });
    }
    changeStatusBarButton("Quintrel");

    if (!configuredAPICode()) {
        settingView();
        return;
    }
    changeStatusBarButton("...");
    quintrel_refresh_action();
}

void AppDelegate::expectMainThread() const {
    // A completion on another thread would race every field here; the desktop delivers
    // none there, and this keeps it so.
    if (!platform.mainQueue.isMainThread()) {
        std::abort();
    }
}

}  // namespace quintrel
