#include "app/AppDelegate.h"

#include "app/BusMessages.h"

namespace quintrel {

AppDelegate::AppDelegate(Platform platform, ServiceEndpoints service, BundleInfo bundle)
    : center(platform.notificationCenter),
      platform(platform),
      service(std::move(service)),
      bundle(std::move(bundle)) {}

void AppDelegate::applicationDidFinishLaunching() {
    is_screen_active = 1;

    // Registrations hold the delegate weakly: it owns them, and they end with it.
    const std::weak_ptr<AppDelegate> weak = weak_from_this();
    const auto forward = [weak](void (AppDelegate::*handler)(const BusMessage&)) {
        return [weak, handler](const BusMessage& message) {
            if (const auto self = weak.lock()) {
                ((*self).*handler)(message);
            }
        };
    };
    timer = platform.mainQueue.scheduleRepeating(pollInterval, [weak] {
        if (const auto self = weak.lock()) {
            self->runTimedCode();
        }
    });
    busObservations_.push_back(
        platform.bus.addObserver(busMessage::content, forward(&AppDelegate::quintrel_content)));
    busObservations_.push_back(
        platform.bus.addObserver(busMessage::error, forward(&AppDelegate::quintrel_error)));
    busObservations_.push_back(
        platform.bus.addObserver(busMessage::refresh, forward(&AppDelegate::quintrel_refresh)));
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
    }
    changeStatusBarButton("Quintrel");

    if (!configuredAPICode()) {
        settingView();
        return;
    }
    changeStatusBarButton("...");
    quintrel_refresh_action();
}

}  // namespace quintrel
