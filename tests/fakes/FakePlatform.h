#pragma once
// Every fake in one place, and an AppDelegate wired to them.

#include <memory>

#include "app/AppDelegate.h"
#include "fakes/FakeDesktop.h"
#include "fakes/FakeHttpClient.h"
#include "fakes/FakeMainQueue.h"
#include "fakes/FakeWindows.h"
#include "settings/SaveFlow.h"

namespace quintrel::fakes {

inline constexpr const char* kServiceURL = "https://quintrel.test";
inline constexpr const char* kWidgetURL = "https://widgets.quintrel.test";
// 40 characters: long enough to count as configured.
inline constexpr const char* kGoodCode = "abcdefghij0123456789ABCDEFGHIJ0123456789";

struct FakePlatform {
    FakeMainQueue mainQueue;
    FakeHttpClient http;
    FakePreferences preferences;
    FakeStatusBar statusBar;
    FakeClock clock{[this] {
        return mainQueue.now();
    }};
    SequentialUuids uuids;
    FakeIdleTime idleTime;
    FakeScreenLock screenLock;
    FakeBrowser browser;
    RecordingConsole console;
    FakeNotificationCenter notificationCenter;
    FakeResources resources;
    FakeSoundFactory sounds;
    FakeSettingsWindows settingsWindows;
    FakePopoverFactory popovers;
    FakeApplication application;

    Platform platform() {
        return Platform(mainQueue, http, preferences, statusBar, clock, uuids, idleTime, screenLock,
                        browser, console, notificationCenter, resources, sounds, settingsWindows,
                        popovers, application);
    }

    // What the settings window and its save flow are given.
    SettingsServices settingsServices(std::string serviceURL = kServiceURL) {
        ServiceEndpoints endpoints{std::move(serviceURL), kWidgetURL};
        return {http, preferences, console, browser, std::move(endpoints)};
    }

    std::shared_ptr<AppDelegate> makeDelegate(BundleInfo bundle = {"1.0.0"},
                                              DelegateOptions options = {}) {
        return std::make_shared<AppDelegate>(platform(), ServiceEndpoints{kServiceURL, kWidgetURL},
                                             std::move(bundle), options);
    }
};

}  // namespace quintrel::fakes
