#pragma once
// A closure that can be cancelled before it starts; a cancelled item never runs.

#include <functional>
#include <utility>
#include <vector>

namespace quintrel {

class WorkItem {
public:
    explicit WorkItem(std::function<void()> block) : block_(std::move(block)) {}

    // Runs the block unless the item was cancelled.
    void perform() {
        if (!cancelled_) {
            block_();
        }
    }
    void cancel() {
        cancelled_ = true;
        for (const auto& hook : std::exchange(onCancel_, {})) {
            hook();
        }
    }
    bool isCancelled() const { return cancelled_; }

    // Runs `hook` when the item is cancelled, at once if it already is: a queue disarms
    // the timer it keeps for the item, so that a cancelled item wakes nobody later.
    void whenCancelled(std::function<void()> hook) {
        if (cancelled_) {
            hook();
        } else {
            onCancel_.push_back(std::move(hook));
        }
    }

private:
    std::function<void()> block_;
    bool cancelled_ = false;
    std::vector<std::function<void()>> onCancel_;
};

}  // namespace quintrel
