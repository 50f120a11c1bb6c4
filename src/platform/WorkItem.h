#pragma once
// A closure that can be cancelled before it starts; a cancelled item never runs.

#include <atomic>
#include <functional>
#include <utility>

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
    void cancel() { cancelled_.store(true); }
    bool isCancelled() const { return cancelled_.load(); }

private:
    std::function<void()> block_;
    std::atomic<bool> cancelled_{false};
};

}  // namespace quintrel
