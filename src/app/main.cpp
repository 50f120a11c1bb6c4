// The process entry: one Quintrel Companion per user session, living in the tray.

#include <memory>

#include <QApplication>

#include "app/AppDelegate.h"
#include "platform/FileResources.h"
#include "platform/qt/DesktopIdleTime.h"
#include "platform/qt/DesktopScreenLock.h"
#include "platform/qt/JsonPreferencesStore.h"
#include "platform/qt/QtBrowser.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/qt/QtMainQueue.h"
#include "platform/qt/QtSoundFactory.h"
#include "platform/qt/QtStatusBar.h"
#include "platform/qt/SingleInstance.h"
#include "platform/qt/StdoutConsole.h"
#include "platform/qt/SystemClock.h"
#include "platform/qt/notify/FreedesktopNotificationCenter.h"

int main(int argc, char* argv[]) {
    using namespace quintrel;

    StdoutConsole::installQtMessageHandler();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quintrel-companion"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quintrel Companion"));
    QApplication::setApplicationVersion(QStringLiteral(QUINTREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quintrel-companion"));
    // The app lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    StdoutConsole console;
    // A second instance would poll the service twice as often.
    SingleInstance instance;
    if (!instance.acquire()) {
        console.printLine("Quintrel Companion is already running");
        return 0;
    }

    // Queued work and request completions may hold the delegate past `delegate` below, so
    // its last owner can be the main queue or the HTTP client as they go: what the delegate
    // lets go of when it ends (its bus registrations) is made before them and outlives them.
    NotificationBus bus;
    QtMainQueue mainQueue;
    QtHttpClient http;
    JsonPreferencesStore preferences(console);
    QtStatusBar statusBar;
    SystemClock clock;
    RandomUuidSource uuids;
    DesktopIdleTime idleTime;
    DesktopScreenLock screenLock;
    QtBrowser browser;
    FreedesktopNotificationCenter notificationCenter;
    FileResources resources(defaultResourcesRoot());
    QtSoundFactory sounds;

    const Platform platform{
        mainQueue, http,    preferences, statusBar,          clock,     uuids, idleTime, screenLock,
        browser,   console, bus,         notificationCenter, resources, sounds};
    const auto delegate = std::make_shared<AppDelegate>(
        platform, ServiceEndpoints{QUINTREL_SERVICE_URL, QUINTREL_WIDGET_URL},
        BundleInfo{QUINTREL_VERSION});
    delegate->applicationDidFinishLaunching();
    const int status = QApplication::exec();
    delegate->applicationWillTerminate();
    return status;
}
