#pragma once
// Small fakes of the desktop services: preferences, status item, clock, UUIDs, idle
// time, screen lock, browser, console and the popup's status lines.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/DashboardPopover.h"
#include "platform/IdleTime.h"
#include "platform/PreferencesStore.h"
#include "platform/ScreenLockEvents.h"
#include "platform/StatusBar.h"
#include "util/Uuid.h"

namespace quintrel::fakes {

class FakePreferences final : public PreferencesStore {
public:
    std::optional<nlohmann::json> object(const std::string& key) const override {
        std::lock_guard lock(mutex_);
        const auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional(it->second);
    }
    void setString(const std::string& key, const std::string& value) override { set(key, value); }
    void setInteger(const std::string& key, std::int64_t value) override { set(key, value); }
    void set(const std::string& key, nlohmann::json value) {
        std::lock_guard lock(mutex_);
        values_[key] = std::move(value);
    }
    void erase(const std::string& key) {
        std::lock_guard lock(mutex_);
        values_.erase(key);
    }

private:
    mutable std::mutex mutex_;
    std::map<std::string, nlohmann::json> values_;
};

class FakeStatusItem final : public StatusItem {
public:
    explicit FakeStatusItem(std::vector<std::string>& titles, bool hasButton)
        : titles_(titles), hasButton_(hasButton) {}
    bool hasButton() const override { return hasButton_; }
    void setTitle(const std::string& title) override { titles_.push_back(title); }
    void setAction(std::function<void()> action) override { action_ = std::move(action); }
    void setMenu(std::vector<StatusMenuEntry> entries) override { menu = std::move(entries); }
    void click() {
        if (action_) {
            action_();
        }
    }

    std::vector<StatusMenuEntry> menu;

private:
    std::vector<std::string>& titles_;
    bool hasButton_;
    std::function<void()> action_;
};

class FakeStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> makeStatusItem() override {
        auto item = std::make_unique<FakeStatusItem>(titles, withButton);
        lastItem = item.get();
        return item;
    }
    std::string title() const { return titles.empty() ? "" : titles.back(); }

    bool withButton = true;
    std::vector<std::string> titles;  // every title shown, in order
    FakeStatusItem* lastItem = nullptr;
};

class FakeClock final : public Clock {
public:
    std::chrono::system_clock::time_point now() const override { return wall; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return monotonic; }
    std::chrono::system_clock::time_point wall{std::chrono::seconds(1'700'000'000)};
    std::chrono::steady_clock::time_point monotonic{};
};

// Hands out 00000000-…-000000000001, …-000000000002, …
class SequentialUuids final : public UuidSource {
public:
    Uuid make() override {
        Uuid uuid;
        const auto n = ++issued_;
        for (int i = 0; i < 8; ++i) {
            uuid.bytes[15 - i] = static_cast<std::uint8_t>(n >> (8 * i));
        }
        return uuid;
    }

private:
    std::atomic<std::uint64_t> issued_{0};
};

class FakeIdleTime final : public IdleTime {
public:
    double secondsSinceLastInput() override {
        ++measurements;
        return seconds;
    }
    double seconds = 0;
    int measurements = 0;
};

class FakeScreenLock final : public ScreenLockEvents {
public:
    void observe(std::function<void()> locked, std::function<void()> unlocked) override {
        locked_ = std::move(locked);
        unlocked_ = std::move(unlocked);
    }
    void lock() { locked_(); }
    void unlock() { unlocked_(); }

private:
    std::function<void()> locked_ = [] {
    };
    std::function<void()> unlocked_ = [] {
    };
};

class FakeBrowser final : public Browser {
public:
    void openURL(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

class RecordingConsole final : public Console {
public:
    void printLine(std::string_view line) override {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    // The lines printed since the last call.
    std::vector<std::string> take() {
        std::lock_guard lock(mutex_);
        return std::vector(lines_.begin() + std::exchange(taken_, lines_.size()), lines_.end());
    }
    int count(std::string_view line) const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(lines_.begin(), lines_.end(), line));
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    std::size_t taken_ = 0;
};

// The popup's content: records the status lines, the handlers and every reload.
class FakePopoverStatus final : public DashboardPopoverContent {
public:
    struct Update {
        std::string lastChecked;
        std::string lastError;
        bool isChecking;
    };
    explicit FakePopoverStatus(std::string apiCode = {}) : code(std::move(apiCode)) {}
    void updateStatus(const std::string& lastChecked, const std::string& lastError,
                      bool isChecking) override {
        updates.push_back({lastChecked, lastError, isChecking});
    }
    std::string apiCode() const override { return code; }
    void setAPICode(const std::string& apiCode) override { code = apiCode; }
    void setOpenDashboardHandler(std::function<void()> handler) override {
        openDashboardHandler = std::move(handler);
        ++handlerInstalls;
    }
    void setOpenSettingsHandler(std::function<void()> handler) override {
        openSettingsHandler = std::move(handler);
    }
    void setQuitHandler(std::function<void()> handler) override {
        quitHandler = std::move(handler);
    }
    void setRefreshHandler(std::function<void()> handler) override {
        refreshHandler = std::move(handler);
    }
    // Like the real content, a reload before the first showing loads nothing.
    void reloadSelectedTab() override {
        if (shownOnce) {
            loadedCodes.push_back(code);
        }
    }
    ContentSize preferredContentSize() const override { return {680, 560}; }

    std::vector<Update> updates;
    std::string code;
    std::function<void()> openDashboardHandler;
    std::function<void()> openSettingsHandler;
    std::function<void()> quitHandler;
    std::function<void()> refreshHandler;
    int handlerInstalls = 0;
    bool shownOnce = false;
    std::vector<std::string> loadedCodes;  // the code of every page load, in order
};

}  // namespace quintrel::fakes
