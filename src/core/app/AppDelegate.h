#pragma once
// The application delegate: the one object that lives as long as the process and
// holds everything that outlives a window. Its member functions are defined in the
// folder of the subsystem they belong to (app/, polling/, notify/, popover/, settings/).
//
// Threads: every field is read and written on the main thread only. Operations that
// may be reached from another thread move themselves to the main queue first.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DashboardPopover.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "polling/Reply.h"
#include "polling/ServiceEndpoints.h"
#include "util/NotificationBus.h"

namespace quintrel {

// The last-checked and last-error texts as the popup shows them, and whether a refresh runs.
struct StatusTexts {
    std::string lastChecked;
    std::string lastError;
    bool isChecking = false;
    bool operator==(const StatusTexts&) const = default;
};

class AppDelegate : public NotificationCenterDelegate,
                    public std::enable_shared_from_this<AppDelegate> {
public:
    AppDelegate(Platform platform, ServiceEndpoints service, BundleInfo bundle);

    // --- application lifecycle (app/) ---
    void applicationDidFinishLaunching();
    void applicationWillTerminate() {}

    // --- preferences (polling/Preferences.cpp) ---
    std::string storedAPICode() const;
    std::optional<std::string> configuredAPICode() const;

    // --- the poll (polling/) ---
    std::optional<std::string> getURL() const;
    void runTimedCode();
    void refreshdata();
    void quintrel_refresh(const BusMessage& message);
    void quintrel_refresh_action();
    std::optional<Uuid> beginRefresh();
    void completeRefresh(const Uuid& refreshID, std::optional<std::string> errorMessage);
    // Ends the running refresh on the main thread: its time-out and task go, the time and
    // `errorText` are recorded, and the status texts are handed on.
    void closeRefresh(const std::string& errorText);
    void setLastError(const std::string& text);
    // The completion of a poll request, first on whatever thread the HTTP client uses.
    void handlePollResult(HttpResult result, const Uuid& refreshID, std::int64_t titleMode);
    void handleCurrentReply(const reply& decoded, const Uuid& refreshID, std::int64_t titleMode);

    // --- the status title and the status texts (app/StatusTexts.cpp) ---
    void changeStatusBarButton(const std::string& content);
    void updateRefreshMenuItems(bool isChecking);
    // The two status texts in the popup's formats, as they are now.
    StatusTexts currentStatusTexts() const { return statusTexts(isRefreshing); }

    // --- bus handlers and browser links (app/) ---
    void quintrel_content(const BusMessage& message);
    void quintrel_error(const BusMessage& message);
    std::optional<std::string> dashboardURL() const;
    void opendashboard();
    void checkupdate();

    // --- notifications and sound (notify/) ---
    void showNotification(const std::string& notifytitle, const std::string& notifydesc,
                          const std::string& notifyurl, const std::string& notifysound);
    void requestAuthorization(std::function<void(bool granted)> completionHandler);
    void scheduleLocalNotification(const std::string& notifytitle, const std::string& notifydesc,
                                   const std::string& notifyurl, const std::string& notifysound);
    void userNotificationCenter(const NotificationResponse& response,
                                std::function<void()> completionHandler) override;
    void playSound(const std::string& file, const std::string& ext);

    // --- windows (settings/, popover/) ---
    void settingView();
    void statusItemClicked();
    // What the menu's first entry does: the popup (or, with no code, the settings) opens.
    void showOverview();
    // The tray item's menu, in order (app/StatusMenu.cpp).
    std::vector<StatusMenuEntry> statusMenuEntries();
    void showDashboardPopover(const std::string& apiCode);

    // --- constants ---
    const std::string categoryID = "quintrel";
    const std::string notificationURLUserInfoKey = "notifyurl";
    // 30 s; only test builds shorten it (before launch), and the message then names the
    // shorter time so that it stays true.
    std::chrono::milliseconds refreshTimeoutInterval{std::chrono::seconds(30)};
    // 45 s; only test builds shorten it (before launch) to run many cycles quickly.
    std::chrono::milliseconds pollInterval{std::chrono::seconds(45)};
    static constexpr double idleThresholdSeconds = 50.0;
    // A refresh asked for from outside (bus, command line, menu, popup) this soon after a
    // poll ended waits until the interval is over; asks in between join it.
    static constexpr std::chrono::seconds kRefreshQuietInterval{5};
    // A code counts as configured only when it is longer than this many characters.
    static constexpr std::size_t kMinimumAPICodeLength = 32;

    // --- state ---
    std::unique_ptr<StatusItem> statusItem;
    // Made by the first settingView() and kept, never cleared.
    std::unique_ptr<SettingsWindowController> settingsWindowController;
    NotificationCenter& center;
    std::string openDetail;
    std::shared_ptr<Sound> soundPlayer;  // the sound last started by playSound
    std::unique_ptr<RepeatingTimer> timer;
    std::int64_t is_screen_active = 1;
    bool isRefreshing = false;
    std::optional<Uuid> currentRefreshID;
    std::shared_ptr<HttpTask> refreshTask;
    std::shared_ptr<WorkItem> refreshTimeoutWorkItem;
    std::optional<std::chrono::system_clock::time_point> lastCheckedAt;
    // When the last poll ended, on the monotonic clock, and the refresh asked for from
    // outside that waits for the quiet interval after it (refreshdata).
    std::optional<std::chrono::steady_clock::time_point> lastPollEndedAt;
    std::shared_ptr<WorkItem> deferredRefresh;
    std::string lastErrorMessage = "None";
    // Sees the two status texts each time they are made, as the popup would show them,
    // whether or not the popup exists. Unset in the app; test builds may set it.
    std::function<void(const std::string& lastChecked, const std::string& lastError)>
        statusTextsObserver;
    // What the desktop's remote interfaces follow: each title shown on the status item, and
    // the status texts each time they are made. Unset unless the desktop sets them.
    std::function<void(const std::string& title)> titleObserver;
    std::function<void(const StatusTexts& texts)> statusObserver;
    std::unique_ptr<DashboardPopover> dashboardPopover;
    std::shared_ptr<DashboardPopoverContent> dashboardPopoverViewController;

    Platform platform;
    const ServiceEndpoints service;
    const BundleInfo bundle;

private:
    // Runs `work` now when on the main thread, else queues it there holding the delegate.
    template <typename Work>
    void onMainThread(Work&& work);
    void print(std::string_view line) const { platform.console.printLine(line); }
    StatusTexts statusTexts(bool isChecking) const;

    std::vector<NotificationBus::Observation> busObservations_;
};

template <typename Work>
void AppDelegate::onMainThread(Work&& work) {
    if (platform.mainQueue.isMainThread()) {
        work();
        return;
    }
    platform.mainQueue.async([self = shared_from_this(), work = std::forward<Work>(work)] {
        (void)self;
        work();
    });
}

}  // namespace quintrel
