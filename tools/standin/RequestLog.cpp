// The request log and its JSON form.

#include "RequestLog.h"

#include <nlohmann/json.hpp>

namespace standin {

size_t RequestLog::add(LoggedRequest request) {
    const std::lock_guard lock(mutex_);
    entries_.push_back(std::move(request));
    return offset_ + entries_.size() - 1;
}

void RequestLog::setReply(size_t index, int status, const std::string& body) {
    const std::lock_guard lock(mutex_);
    if (index < offset_ || index - offset_ >= entries_.size()) {
        return;  // cleared meanwhile
    }
    entries_[index - offset_].status = status;
    entries_[index - offset_].body = body;
}

std::string RequestLog::toJson() const {
    const std::lock_guard lock(mutex_);
    auto array = nlohmann::json::array();
    for (const auto& e : entries_) {
        array.push_back({{"method", e.method},
                         {"path", e.path},
                         {"query", e.query},
                         {"time", e.time},
                         {"status", e.status},
                         {"body", e.body},
                         {"clientPort", e.clientPort}});
    }
    return array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void RequestLog::clear() {
    const std::lock_guard lock(mutex_);
    offset_ += entries_.size();
    entries_.clear();
}

}  // namespace standin
