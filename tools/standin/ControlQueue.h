#pragma once
// Replies scripted by a test, queued per path and used by the next matching requests.

#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "Faults.h"

namespace standin {

struct ScriptedReply {
    std::optional<int> status{};        // none: 200 when a body is given
    std::optional<std::string> body{};  // none with no status: the normal reply
    std::optional<std::string> contentType{};
    int delayMs = 0;
    bool drop = false;                      // close the connection before any body arrives
    std::optional<std::string> location{};  // a Location header; the status defaults to 302
    std::optional<Fault> fault{};           // a hostile reply instead of any of the above

    bool replacesReply() const {
        return status.has_value() || body.has_value() || location.has_value();
    }
};

constexpr int kMaxDelayMs = 60000;

// Parses the JSON of a control request: {"path":..., "status":..., "body":...,
// "content_type":..., "delay_ms":..., "drop":..., "location":..., "fault":..., "count":...}. On bad
// input answers none and says why in `error`.
struct ControlRequest {
    std::string path;
    ScriptedReply reply;
    int count = 1;
};
std::optional<ControlRequest> parseControlRequest(const std::string& json, std::string& error);

// One scripted reply per request the client makes, not per attempt: an HTTP client may
// send a GET again when the connection broke before the reply was read (Qt does), and the
// same request then gets the same reply again instead of using up the next one.
class ControlQueue {
public:
    void push(const std::string& path, const ScriptedReply& reply, int count = 1);
    // `query` is the raw query: a request identical to the last scripted one on its path is
    // taken as a new attempt of it.
    std::optional<ScriptedReply> take(const std::string& path, const std::string& query);
    void clear();

private:
    struct Taken {
        std::string query;
        ScriptedReply reply;
    };
    std::mutex mutex_;
    std::map<std::string, std::deque<ScriptedReply>> queues_;
    std::map<std::string, Taken> lastTaken_;
};

}  // namespace standin
