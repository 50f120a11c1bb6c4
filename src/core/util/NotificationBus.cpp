#include "util/NotificationBus.h"

#include <algorithm>

namespace quintrel {

struct NotificationBus::Entry {
    NotificationBus* bus;
    std::string name;
    BusObserver observer;
    // Held while the observer runs, so that removal waits for a delivery in progress.
    // Recursive: an observer may remove itself or post again.
    std::recursive_mutex running;
    bool removed = false;
};

NotificationBus::Observation& NotificationBus::Observation::operator=(
    Observation&& other) noexcept {
    if (this != &other) {
        remove();
        entry_ = std::move(other.entry_);
    }
    return *this;
}

NotificationBus::Observation::~Observation() {
    remove();
}

void NotificationBus::Observation::remove() {
    if (!entry_) {
        return;
    }
    auto entry = std::move(entry_);
    {
        std::lock_guard lock(entry->bus->mutex_);
        auto& list = entry->bus->observers_[entry->name];
        list.erase(std::remove(list.begin(), list.end(), entry), list.end());
    }
    std::lock_guard running(entry->running);
    entry->removed = true;
}

NotificationBus::Observation NotificationBus::addObserver(const std::string& name,
                                                          BusObserver observer) {
    auto entry = std::make_shared<Entry>();
    entry->bus = this;
    entry->name = name;
    entry->observer = std::move(observer);
    std::lock_guard lock(mutex_);
    observers_[name].push_back(entry);
    return Observation(std::move(entry));
}

void NotificationBus::post(const std::string& name, std::optional<nlohmann::json> userInfo) {
    std::vector<std::shared_ptr<Entry>> receivers;
    {
        std::lock_guard lock(mutex_);
        if (auto it = observers_.find(name); it != observers_.end()) {
            receivers = it->second;
        }
    }
    const BusMessage message{name, std::move(userInfo)};
    for (const auto& entry : receivers) {
        std::lock_guard running(entry->running);
        if (!entry->removed) {
            entry->observer(message);
        }
    }
}

nlohmann::json NotificationBus::contentPayload(const std::string& text) {
    return {{"userInfo", {{"content", text}}}};
}

std::optional<std::string> NotificationBus::contentText(const BusMessage& message) {
    if (!message.userInfo || !message.userInfo->is_object()) {
        return std::nullopt;
    }
    const auto inner = message.userInfo->find("userInfo");
    if (inner == message.userInfo->end() || !inner->is_object()) {
        return std::nullopt;
    }
    const auto content = inner->find("content");
    if (content == inner->end() || !content->is_string()) {
        return std::nullopt;
    }
    return content->get<std::string>();
}

}  // namespace quintrel
