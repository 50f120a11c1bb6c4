#pragma once
// Small fakes of the desktop services.

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/Console.h"
#include "platform/IdleTime.h"
#include "platform/NotificationCenter.h"
#include "platform/PreferencesStore.h"
#include "platform/Resources.h"
#include "platform/ScreenLockEvents.h"
#include "platform/SoundPlayer.h"
#include "platform/StatusBar.h"
#include "util/Uuid.h"

namespace quintrel::fakes {

class FakePreferences final : public PreferencesStore {
public:
    std::optional<nlohmann::json> object(const std::string& key) const override {
        const auto it = values_.find(key);
        return it == values_.end() ? std::nullopt : std::optional(it->second);
    }
    void setString(const std::string& key, const std::string& value) override { set(key, value); }
    void setInteger(const std::string& key, std::int64_t value) override { set(key, value); }
    void set(const std::string& key, nlohmann::json value) { values_[key] = std::move(value); }
    void erase(const std::string& key) { values_.erase(key); }
    // none: the key is missing.
    void setOrErase(const std::string& key, const std::optional<nlohmann::json>& value) {
        value ? set(key, *value) : erase(key);
    }

private:
    std::map<std::string, nlohmann::json> values_;
};

class FakeStatusItem final : public StatusItem {
public:
    FakeStatusItem(std::vector<std::string>& titles, std::string& shown, bool button)
        : titles(titles), shown(shown), button(button) {}
    bool hasButton() const override { return button; }
    void setTitle(const std::string& title, std::optional<std::uint64_t> newCount) override {
        titles.push_back(shown = title);
        count = newCount;
    }
    void setAction(std::function<void()> newAction) override { action = std::move(newAction); }
    void setMenu(std::vector<StatusMenuEntry>) override {}
    void click() { action(); }

    std::vector<std::string>& titles;
    std::string& shown;
    std::optional<std::uint64_t> count;  // with the last title
    const bool button;
    std::function<void()> action;
};

class FakeStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> makeStatusItem() override {
        auto item = std::make_unique<FakeStatusItem>(titles, shown, withButton);
        lastItem = item.get();
        return item;
    }
    std::string title() const { return shown; }  // now: the item is told only of changes

    bool withButton = true;
    std::vector<std::string> titles;  // every title shown, in order (tests may clear it)
    std::string shown;
    FakeStatusItem* lastItem = nullptr;
};

// The wall clock is set by hand; monotonic time is `elapsed`, the fake main queue's.
class FakeClock final : public Clock {
public:
    explicit FakeClock(std::function<std::chrono::milliseconds()> elapsed) : elapsed_(elapsed) {}
    std::chrono::system_clock::time_point now() const override { return wall; }
    std::chrono::steady_clock::time_point monotonicNow() const override {
        return std::chrono::steady_clock::time_point(elapsed_());
    }
    std::chrono::system_clock::time_point wall{std::chrono::seconds(1'700'000'000)};

private:
    std::function<std::chrono::milliseconds()> elapsed_;
};

// Hands out 00000000-…-000000000001, …-000000000002, …
class SequentialUuids final : public UuidSource {
public:
    Uuid make() override {
        Uuid uuid;
        const unsigned n = ++issued;
        uuid.bytes[14] = static_cast<std::uint8_t>(n >> 8);
        uuid.bytes[15] = static_cast<std::uint8_t>(n);
        return uuid;
    }
    unsigned issued = 0;
};

class FakeIdleTime final : public IdleTime {
public:
    double secondsSinceLastInput() override {
        ++measurements;
        return seconds;
    }
    void expectAskEvery(std::chrono::milliseconds interval) override { askInterval = interval; }
    double seconds = 0;
    int measurements = 0;
    std::chrono::milliseconds askInterval{0};
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
    std::function<void()> locked_, unlocked_;
};

class FakeBrowser final : public Browser {
public:
    void openURL(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

class RecordingConsole final : public Console {
public:
    void printLine(std::string_view line) override { lines_.emplace_back(line); }
    std::vector<std::string> lines() const { return lines_; }
    // The lines printed since the last call.
    std::vector<std::string> take() {
        return std::vector(lines_.begin() + std::exchange(taken_, lines_.size()), lines_.end());
    }
    int count(std::string_view line) const {
        return static_cast<int>(std::count(lines_.begin(), lines_.end(), line));
    }

private:
    std::vector<std::string> lines_;
    std::size_t taken_ = 0;
};

// Its permission answer and failures are the test's choice; completions run at once.
class FakeNotificationCenter final : public NotificationCenter {
public:
    void setNotificationCategories(std::vector<NotificationCategory> set) override {
        categories = std::move(set);
    }
    void getNotificationSettings(std::function<void(int)> completion) override {
        completion(status);
    }
    void requestAuthorization(
        unsigned, std::function<void(bool, std::optional<NotificationError>)> completion) override {
        completion(grantOnRequest, authorizationError);
    }
    void setDelegate(std::weak_ptr<NotificationCenterDelegate>) override {}
    void add(NotificationRequest request,
             std::function<void(std::optional<NotificationError>)> completion) override {
        requests.push_back(std::move(request));
        completion(addError);
    }

    // Choices
    int status = AuthorizationStatus::authorized;
    bool grantOnRequest = true;
    std::optional<NotificationError> authorizationError;
    std::optional<NotificationError> addError;

    // Record
    std::vector<NotificationCategory> categories;
    std::vector<NotificationRequest> requests;
};

// Resources as a set of names, and sounds that record being played.
class FakeResources final : public Resources {
public:
    std::optional<std::string> urlForResource(const std::string& name,
                                              const std::string& ext) const override {
        const std::string file = name + "." + ext;
        return files.contains(file)
                   ? std::optional("/opt/quintrel/share/quintrel-companion/" + file)
                   : std::nullopt;
    }
    // "media//01.mp3": a name that only the app's own path check refuses.
    std::set<std::string> files{"media/01.mp3", "media/02.mp3", "media/05.mp3", "05.mp3",
                                "media//01.mp3"};
};

class FakeSound final : public Sound {
public:
    FakeSound(std::string path, std::vector<std::string>& played) : path(path), played(played) {}
    void play() override { played.push_back(path); }
    const std::string path;
    std::vector<std::string>& played;
};

class FakeSoundFactory final : public SoundFactory {
public:
    SoundLoad load(const std::string& path) override {
        if (unreadable.contains(path)) {
            return {nullptr, "The file could not be played because it is not a sound file."};
        }
        auto sound = std::make_shared<FakeSound>(path, played);
        made.push_back(sound);
        return {sound, ""};
    }
    std::set<std::string> unreadable;  // paths that load as no sound
    std::vector<std::string> played;   // paths, in the order play() was called
    std::vector<std::weak_ptr<Sound>> made;
};

}  // namespace quintrel::fakes
