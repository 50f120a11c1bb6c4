// Scripted replies: parsing a control request and the per-path queue.

#include "ControlQueue.h"

#include <nlohmann/json.hpp>

namespace standin {

std::optional<ControlRequest> parseControlRequest(const std::string& json, std::string& error) {
    const auto doc = nlohmann::json::parse(json, nullptr, false);
    if (!doc.is_object()) {
        error = "the control request must be a JSON object";
        return std::nullopt;
    }
    ControlRequest request;
    const auto path = doc.find("path");
    if (path == doc.end() || !path->is_string() || !path->get<std::string>().starts_with('/')) {
        error = "\"path\" must be a string starting with /";
        return std::nullopt;
    }
    request.path = path->get<std::string>();
    for (const auto& [key, value] : doc.items()) {
        if (key == "path") {
            continue;
        } else if (key == "status") {
            if (!value.is_number_integer() || value.get<int>() < 100 || value.get<int>() > 599) {
                error = "\"status\" must be an HTTP status between 100 and 599";
                return std::nullopt;
            }
            request.reply.status = value.get<int>();
        } else if (key == "body" || key == "content_type" || key == "location") {
            if (!value.is_string()) {
                error = "\"" + key + "\" must be a string";
                return std::nullopt;
            }
            (key == "body"           ? request.reply.body
             : key == "content_type" ? request.reply.contentType
                                     : request.reply.location) = value.get<std::string>();
        } else if (key == "fault") {
            const auto fault =
                value.is_string() ? faultNamed(value.get<std::string>()) : std::nullopt;
            if (!fault) {
                error =
                    "\"fault\" must be one of huge_body, trickle, reset, invalid_utf8, "
                    "deep_json, redirect_loop";
                return std::nullopt;
            }
            request.reply.fault = fault;
        } else if (key == "delay_ms") {
            if (!value.is_number_integer() || value.get<int64_t>() < 0 ||
                value.get<int64_t>() > kMaxDelayMs) {
                error = "\"delay_ms\" must be an integer from 0 to 60000";
                return std::nullopt;
            }
            request.reply.delayMs = value.get<int>();
        } else if (key == "drop") {
            if (!value.is_boolean()) {
                error = "\"drop\" must be true or false";
                return std::nullopt;
            }
            request.reply.drop = value.get<bool>();
        } else if (key == "count") {
            if (!value.is_number_integer() || value.get<int64_t>() < 1 ||
                value.get<int64_t>() > 1000) {
                error = "\"count\" must be an integer from 1 to 1000";
                return std::nullopt;
            }
            request.count = value.get<int>();
        } else {
            error = "unknown member \"" + key + "\"";
            return std::nullopt;
        }
    }
    return request;
}

void ControlQueue::push(const std::string& path, const ScriptedReply& reply, int count) {
    const std::lock_guard lock(mutex_);
    auto& queue = queues_[path];
    for (int i = 0; i < count; ++i) {
        queue.push_back(reply);
    }
}

std::optional<ScriptedReply> ControlQueue::take(const std::string& path, const std::string& query) {
    const std::lock_guard lock(mutex_);
    if (const auto last = lastTaken_.find(path);
        last != lastTaken_.end() && last->second.query == query) {
        return last->second.reply;
    }
    const auto it = queues_.find(path);
    if (it == queues_.end() || it->second.empty()) {
        lastTaken_.erase(path);
        return std::nullopt;
    }
    auto reply = it->second.front();
    it->second.pop_front();
    lastTaken_[path] = {query, reply};
    return reply;
}

void ControlQueue::clear() {
    const std::lock_guard lock(mutex_);
    queues_.clear();
    lastTaken_.clear();
}

}  // namespace standin
