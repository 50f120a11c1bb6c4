#pragma once
// Everything the logic needs of the desktop, in one bundle handed to AppDelegate.

#include "platform/Application.h"
#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/DashboardPopover.h"
#include "platform/HttpClient.h"
#include "platform/IdleTime.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"
#include "platform/PreferencesStore.h"
#include "platform/Resources.h"
#include "platform/ScreenLockEvents.h"
#include "platform/SettingsWindows.h"
#include "platform/SoundPlayer.h"
#include "platform/StatusBar.h"
#include "util/Uuid.h"

namespace quintrel {

// Non-owning: every service outlives the AppDelegate that uses it.
struct Platform {
    MainQueue& mainQueue;
    HttpClient& http;
    PreferencesStore& preferences;
    StatusBar& statusBar;
    Clock& clock;
    UuidSource& uuids;
    IdleTime& idleTime;
    ScreenLockEvents& screenLock;
    Browser& browser;
    Console& console;
    NotificationCenter& notificationCenter;
    Resources& resources;
    SoundFactory& sounds;
    SettingsWindows& settingsWindows;
    DashboardPopoverFactory& popovers;
    Application& application;
};

}  // namespace quintrel
