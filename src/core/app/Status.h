#pragma once
// What the app shows of itself: one value that the tray item, the popup's status lines, the
// bus interface's properties and `--watch` all read, and the one way to follow it.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quintrel {

struct Status {
    std::string title;                   // the tray item's text
    std::optional<std::uint64_t> count;  // the number the title shows, when it shows one
    std::string lastChecked = "Never";   // as the popup shows it: "Checking...", a local time
    std::string lastError = "None";      // masked, on one line, cut to 72 characters
    bool refreshing = false;
    bool operator==(const Status&) const = default;
};

using StatusObserver = std::function<void(const Status&)>;

// Holds the status and tells each observer of every change, in the order they were added.
// Main thread only, like everything the app delegate holds.
class StatusModel {
    struct Observers;

public:
    // Keeps its observer for as long as it lives; it may outlive the model.
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Subscription&&) noexcept = default;
        Subscription& operator=(Subscription&& other) noexcept;
        ~Subscription();

    private:
        friend class StatusModel;
        Subscription(std::weak_ptr<Observers> observers, std::uint64_t key)
            : observers_(std::move(observers)), key_(key) {}
        std::weak_ptr<Observers> observers_;
        std::uint64_t key_ = 0;
    };

    StatusModel();
    const Status& current() const { return current_; }
    // Stores `next`; observers hear of it only when it differs from the current status.
    void update(Status next);
    [[nodiscard]] Subscription observe(StatusObserver observer);

private:
    struct Observers {
        std::map<std::uint64_t, std::shared_ptr<StatusObserver>> byKey;
        std::uint64_t nextKey = 0;
    };
    Status current_;
    std::shared_ptr<Observers> observers_;
};

}  // namespace quintrel
