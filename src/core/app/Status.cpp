#include "app/Status.h"

#include <utility>
#include <vector>

namespace quintrel {

StatusModel::StatusModel() : observers_(std::make_shared<Observers>()) {}

StatusModel::Subscription& StatusModel::Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        Subscription gone(std::move(*this));
        observers_ = std::exchange(other.observers_, {});
        key_ = other.key_;
    }
    return *this;
}

StatusModel::Subscription::~Subscription() {
    if (const auto observers = observers_.lock()) {
        observers->byKey.erase(key_);
    }
}

void StatusModel::update(Status next) {
    if (next == current_) {
        return;
    }
    current_ = std::move(next);
    // An observer may end its own or another's subscription while it is told.
    std::vector<std::uint64_t> keys;
    for (const auto& entry : observers_->byKey) {
        keys.push_back(entry.first);
    }
    for (const auto key : keys) {
        const auto observer = observers_->byKey.find(key);
        if (observer != observers_->byKey.end()) {
            // Held here: the observer may end its own subscription while it runs.
            const auto call = observer->second;
            (*call)(current_);
        }
    }
}

StatusModel::Subscription StatusModel::observe(StatusObserver observer) {
    const auto key = observers_->nextKey++;
    observers_->byKey.emplace(key, std::make_shared<StatusObserver>(std::move(observer)));
    return Subscription(observers_, key);
}

}  // namespace quintrel
