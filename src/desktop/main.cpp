// The process entry: one Quintrel Companion per user session, living in the tray.

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <QApplication>
#include <QIcon>

#include "app/AppDelegate.h"
#include "desktop/notify/FreedesktopNotificationCenter.h"
#include "desktop/notify/QtSoundFactory.h"
#include "desktop/popup/DashboardPopup.h"
#include "desktop/popup/WebViewPlugin.h"
#include "desktop/settings/QtSettingsWindows.h"
#include "desktop/system/DesktopIdleTime.h"
#include "desktop/system/DesktopScreenLock.h"
#include "desktop/system/JsonPreferencesStore.h"
#include "desktop/system/ProcessMemory.h"
#include "desktop/system/QtApplication.h"
#include "desktop/system/QtBrowser.h"
#include "desktop/system/QtHttpClient.h"
#include "desktop/system/QtMainQueue.h"
#include "desktop/system/SingleInstance.h"
#include "desktop/system/StdoutConsole.h"
#include "desktop/system/TerminationSignals.h"
#include "desktop/tray/QtStatusBar.h"
#include "notify/Sound.h"
#include "polling/EndpointOverrides.h"
#include "util/FileResources.h"
#include "util/SystemClock.h"
#ifdef QUINTREL_TEST_HOOKS
#include "desktop/TestHooks.h"
#endif

int main(int argc, char* argv[]) {
    using namespace quintrel;

    limitHeapArenas();
    StdoutConsole::installQtMessageHandler();
    prepareDashboardWebView();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quintrel-companion"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quintrel Companion"));
    QApplication::setApplicationVersion(QStringLiteral(QUINTREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.quintrel.Companion"));
    // The installed icon (share/icons/hicolor) for the settings window and the popup.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.quintrel.Companion")));
    // The app lives in the tray: closing its last window does not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    StdoutConsole console;
    // A second instance would poll the service twice as often.
    SingleInstance instance;
    if (!instance.acquire()) {
        console.printLine("Quintrel Companion is already running");
        return 0;
    }
    const TerminationSignals terminationSignals;

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
    QtApplication applicationControl;
    const ServiceEndpoints service = withEndpointOverrides(
        {QUINTREL_SERVICE_URL, QUINTREL_WIDGET_URL}, processEnvironment, console);

    // One settings window is ever made; its start-up sound is kept alive here while it plays.
    std::shared_ptr<Sound> previewPlayer;
    QtSettingsWindows settingsWindows(
        SettingsServices{mainQueue, http, preferences, bus, console, browser, service},
        [&] { playStartupSound(resources, sounds, console, previewPlayer); });
    DashboardPopupFactory popovers(service, browser,
                                   [&statusBar] { return statusBar.lastActivationPosition(); });

    const Platform platform{.mainQueue = mainQueue,
                            .http = http,
                            .preferences = preferences,
                            .statusBar = statusBar,
                            .clock = clock,
                            .uuids = uuids,
                            .idleTime = idleTime,
                            .screenLock = screenLock,
                            .browser = browser,
                            .console = console,
                            .bus = bus,
                            .notificationCenter = notificationCenter,
                            .resources = resources,
                            .sounds = sounds,
                            .settingsWindows = settingsWindows,
                            .popovers = popovers,
                            .application = applicationControl};
    const auto delegate =
        std::make_shared<AppDelegate>(platform, service, BundleInfo{QUINTREL_VERSION});
#ifdef QUINTREL_TEST_HOOKS
    if (const auto interval = processEnvironment("QUINTREL_TEST_POLL_INTERVAL_MS")) {
        delegate->pollInterval =
            std::chrono::milliseconds(std::max(1, std::atoi(interval->c_str())));
    }
    if (const auto timeout = processEnvironment("QUINTREL_TEST_REFRESH_TIMEOUT_MS")) {
        delegate->refreshTimeoutInterval =
            std::chrono::milliseconds(std::max(1, std::atoi(timeout->c_str())));
    }
#endif
#ifdef QUINTREL_TEST_HOOKS
    installTestHooks(*delegate);
#endif
    delegate->applicationDidFinishLaunching();
    const int status = QApplication::exec();
    delegate->applicationWillTerminate();
    return status;
}
