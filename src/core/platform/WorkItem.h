#pragma once
// A closure that can be cancelled before it starts; a cancelled item never runs.

#include <atomic>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

namespace quintrel {

class WorkItem {
public:
    explicit WorkItem(std::function<void()> block) : block_(std::move(block)) {}

    // Runs the block unless the item was cancelled. Called on the main thread.
    void perform() {
        if (!cancelled_.load()) {
            block_();
        }
    }
    void cancel() {
        std::vector<std::function<void()>> hooks;
        {
            const std::lock_guard lock(mutex_);
            cancelled_.store(true);
            hooks.swap(onCancel_);
        }
        for (const auto& hook : hooks) {
            hook();
        }
    }
    bool isCancelled() const { return cancelled_.load(); }

    // Runs `hook` when the item is cancelled, at once if it already is: a queue disarms
    // the timer it keeps for the item, so that a cancelled item wakes nobody later.
    void whenCancelled(std::function<void()> hook) {
        {
            const std::lock_guard lock(mutex_);
            if (!cancelled_.load()) {
                onCancel_.push_back(std::move(hook));
                return;
            }
        }
        hook();
    }

private:
    std::function<void()> block_;
    std::atomic<bool> cancelled_{false};
    std::mutex mutex_;
    std::vector<std::function<void()>> onCancel_;
};

}  // namespace quintrel
