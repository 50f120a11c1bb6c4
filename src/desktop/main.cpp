// The process entry: one Quintrel Companion per user session, living in the tray.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include "app/AppDelegate.h"
#include "desktop/notify/FreedesktopNotificationCenter.h"
#include "desktop/notify/QtSoundFactory.h"
#include "desktop/ondemand/WindowParts.h"
#include "desktop/remote/CommandLine.h"
#include "desktop/remote/RemoteClient.h"
#include "desktop/remote/RemoteControl.h"
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
#include "notify/SoundFiles.h"
#include "polling/EndpointOverrides.h"
#include "util/FileResources.h"
#include "util/SystemClock.h"
#ifdef QUINTREL_TEST_HOOKS
#include "desktop/TestHooks.h"
#endif

namespace {

using namespace quintrel;

// By then the tray item is registered and the panel has read it.
constexpr std::chrono::seconds kStartupSettleTime{3};

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// The options that only talk to the running app: no widgets, no poller.
int runCommandLineClient(int argc, char* argv[], const CommandLine& commandLine) {
    QCoreApplication client(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quintrel-companion"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUINTREL_VERSION));
    switch (commandLine.action) {
        case CommandAction::Help:
            std::printf("%s", commandLineHelp().toLocal8Bit().constData());
            return 0;
        case CommandAction::Version:
            std::printf("quintrel-companion %s\n", QUINTREL_VERSION);
            return 0;
        case CommandAction::Status:
            return printRemoteStatus();
        case CommandAction::Watch:
            return watchRemoteApp(commandLine.format);
        default:
            return forwardToRunningApp(commandLine.action);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    const CommandLine commandLine = parseCommandLine(argumentsOf(argc, argv));
    if (commandLine.error) {
        std::fprintf(stderr, "quintrel-companion: %s\n%s\n",
                     commandLine.error->toLocal8Bit().constData(),
                     commandLineUsage().toLocal8Bit().constData());
        return 2;
    }
    // --settings and --popup start the app when none runs; the rest never do.
    const bool startsApp = commandLine.action == CommandAction::StartApp ||
                           commandLine.action == CommandAction::Settings ||
                           commandLine.action == CommandAction::Popup;
    if (!startsApp) {
        return runCommandLineClient(argc, argv, commandLine);
    }

    limitHeapArenas();
    StdoutConsole::installQtMessageHandler();
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
    switch (instance.acquire()) {
        case SingleInstance::Outcome::acquired:
            break;
        case SingleInstance::Outcome::alreadyRunning:
            if (commandLine.action != CommandAction::StartApp) {
                return forwardToRunningApp(commandLine.action);
            }
            console.printLine("Quintrel Companion is already running");
            return 0;
        case SingleInstance::Outcome::failed:
            console.printLine(instance.problem());
            return 1;
    }
    const TerminationSignals terminationSignals;

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
    if (std::error_code error; !std::filesystem::is_directory(resources.root(), error)) {
        qWarning("No resources folder at %s: no sounds will play", resources.root().c_str());
    }
    QtSoundFactory sounds;
    QtApplication applicationControl;
    const ServiceEndpoints service = withEndpointOverrides(
        {QUINTREL_SERVICE_URL, QUINTREL_WIDGET_URL}, processEnvironment, console);

    // One settings window is ever made; its start-up sound is kept alive here while it plays.
    std::shared_ptr<Sound> previewPlayer;
    OnDemandSettingsWindows settingsWindows(
        SettingsServices{http, preferences, console, browser, service},
        [&] { playStartupSound(resources, sounds, console, previewPlayer); });
    OnDemandPopovers popovers(service, browser,
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
                            .notificationCenter = notificationCenter,
                            .resources = resources,
                            .sounds = sounds,
                            .settingsWindows = settingsWindows,
                            .popovers = popovers,
                            .application = applicationControl};
    DelegateOptions options;
#ifdef QUINTREL_TEST_HOOKS
    const TestTimers timers = testTimers();
    options = timers.delegate;
    popovers.helperKeepAfterHide = timers.dashboardKeep.value_or(popovers.helperKeepAfterHide);
#endif
    const auto delegate =
        std::make_shared<AppDelegate>(platform, service, BundleInfo{QUINTREL_VERSION}, options);
#ifdef QUINTREL_TEST_HOOKS
    const auto testHooks = installTestHooks(*delegate);
#endif
    RemoteControl remote(*delegate);
    remote.exportOnSessionBus();
    delegate->applicationDidFinishLaunching();
    // What start-up freed goes back too, whether or not a poll follows.
    QTimer::singleShot(kStartupSettleTime, &releaseFreeHeap);
    if (commandLine.action == CommandAction::Settings) {
        QTimer::singleShot(0, &remote, &RemoteControl::ShowSettings);
    } else if (commandLine.action == CommandAction::Popup) {
        QTimer::singleShot(0, &remote, &RemoteControl::TogglePopup);
    }
    const int status = QApplication::exec();
    delegate->applicationWillTerminate();
    return status;
}
