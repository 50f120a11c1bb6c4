#pragma once
// The application delegate: the one object that lives as long as the process and holds
// everything that outlives a window. Its member functions are defined in the folder of the
// subsystem they belong to (app/, polling/, notify/, popover/, settings/). From outside it
// is its operations and its status; its state is its own.
//
// Threads: everything here runs on the main thread, completions included (see
// docs/ARCHITECTURE.md, "Threads").

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Status.h"
#include "platform/DashboardPopover.h"
#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "polling/Reply.h"
#include "polling/ServiceEndpoints.h"
#include "settings/SaveFlow.h"

namespace quintrel {

// The delegate's timers. Only test builds change them, to run many cycles quickly; a
// shortened time-out is named in its message so that the message stays true.
struct DelegateOptions {
    std::chrono::milliseconds pollInterval{std::chrono::seconds(45)};
    std::chrono::milliseconds refreshTimeout{std::chrono::seconds(30)};
};

class AppDelegate : public NotificationCenterDelegate,
                    public std::enable_shared_from_this<AppDelegate> {
public:
    AppDelegate(Platform platform, ServiceEndpoints service, BundleInfo bundle,
                DelegateOptions options = {});

    // --- application lifecycle (app/) ---
    void applicationDidFinishLaunching();
    void applicationWillTerminate() {}
    const DelegateOptions& options() const { return options_; }

    // --- the status (app/StatusTexts.cpp) ---
    const Status& status() const { return status_.current(); }
    [[nodiscard]] StatusModel::Subscription observeStatus(StatusObserver observer) {
        return status_.observe(std::move(observer));
    }

    // --- preferences and the poll (polling/) ---
    std::string storedAPICode() const;
    std::optional<std::string> configuredAPICode() const;
    std::optional<std::string> getURL() const;
    // The timer's tick.
    void runTimedCode();
    // A refresh asked for by the user (menu, popup, bus, command line).
    void refreshdata();
    void quintrel_refresh_action();

    // --- windows, links and the menu (settings/, popover/, app/) ---
    void settingView();
    // The tray item's click: the popup opens or closes (with no code, the settings open).
    void statusItemClicked(PopupPlace place = PopupPlace::trayItem);
    // What the menu's first entry does: the popup (or, with no code, the settings) opens.
    void showOverview();
    // The tray item's menu, in order (app/StatusMenu.cpp).
    std::vector<StatusMenuEntry> statusMenuEntries();
    std::optional<std::string> dashboardURL() const;
    void opendashboard();
    void checkupdate();
    void quit();

    // --- notifications (notify/) ---
    void showNotification(const std::string& notifytitle, const std::string& notifydesc,
                          const std::string& notifyurl, const std::string& notifysound);
    void userNotificationCenter(const NotificationResponse& response,
                                std::function<void()> completionHandler) override;

    // --- constants ---
    static constexpr const char* categoryID = "quintrel";
    static constexpr const char* notificationURLUserInfoKey = "notifyurl";
    static constexpr double idleThresholdSeconds = 50.0;
    // A refresh asked for from outside (bus, command line, menu, popup) this soon after a
    // poll ended waits until the interval is over; asks in between join it.
    static constexpr std::chrono::seconds kRefreshQuietInterval{5};
    // A code counts as configured only when it is longer than this many characters.
    static constexpr std::size_t kMinimumAPICodeLength = 32;

private:
    // --- the refresh cycle (polling/) ---
    std::optional<Uuid> beginRefresh();
    void completeRefresh(const Uuid& refreshID, std::optional<std::string> errorMessage);
    // Ends the running refresh: its time-out and task go, the time and `errorText` are
    // recorded.
    void closeRefresh(const std::string& errorText);
    void handlePollResult(HttpResult result, const Uuid& refreshID, std::int64_t titleMode);
    void handleCurrentReply(const reply& decoded, const Uuid& refreshID, std::int64_t titleMode);

    // --- the status (app/StatusTexts.cpp) ---
    void changeStatusBarButton(const std::string& content,
                               std::optional<std::uint64_t> count = std::nullopt);
    void setLastError(const std::string& text);
    // Makes the status from the fields and hands it to the model.
    void updateRefreshMenuItems();
    // What a save in the settings window tells the delegate.
    SaveReports saveReports();

    // --- notifications and sound (notify/) ---
    void requestAuthorization(std::function<void(bool granted)> completionHandler);
    void scheduleLocalNotification(const std::string& notifytitle, const std::string& notifydesc,
                                   const std::string& notifyurl, const std::string& notifysound);
    void playSound(const std::string& file, const std::string& ext);

    // --- the popup (popover/) ---
    void showDashboardPopover(const std::string& apiCode, PopupPlace place);

    void print(std::string_view line) const { platform.console.printLine(line); }
    // Completions enter here: the desktop delivers all of them on the main thread.
    void expectMainThread() const;

    Platform platform;
    const ServiceEndpoints service;
    const BundleInfo bundle;
    const DelegateOptions options_;

    StatusModel status_;
    std::string title_;
    std::optional<std::uint64_t> count_;
    bool isRefreshing = false;
    std::optional<std::chrono::system_clock::time_point> lastCheckedAt;
    std::string lastErrorMessage = "None";

    std::unique_ptr<StatusItem> statusItem;
    StatusModel::Subscription trayObservation_;
    std::unique_ptr<RepeatingTimer> timer;
    std::int64_t is_screen_active = 1;
    std::optional<Uuid> currentRefreshID;
    std::shared_ptr<HttpTask> refreshTask;
    std::shared_ptr<WorkItem> refreshTimeoutWorkItem;
    // When the last poll ended, on the monotonic clock, and the refresh asked for from
    // outside that waits for the quiet interval after it (refreshdata).
    std::optional<std::chrono::steady_clock::time_point> lastPollEndedAt;
    std::shared_ptr<WorkItem> deferredRefresh;

    std::string openDetail;
    std::shared_ptr<Sound> soundPlayer;  // the sound last started by playSound
    // Made by the first settingView() and kept, never cleared.
    std::unique_ptr<SettingsWindowController> settingsWindowController;
    std::unique_ptr<DashboardPopover> dashboardPopover;
    std::shared_ptr<DashboardPopoverContent> dashboardPopoverViewController;
    StatusModel::Subscription popoverObservation_;
};

}  // namespace quintrel
