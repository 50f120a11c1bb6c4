// Replies of /api/chrome.php, shaped like the service's.

#include "ChromeApi.h"

#include <nlohmann/json.hpp>

namespace standin {
namespace {

const std::vector<std::string> kPollNames{"v",         "client", "code",   "shownotify",
                                          "keepalive", "idle",   "nocache"};
const std::vector<std::string> kValidationNames{"v", "code"};

HttpReply json(int status, const nlohmann::json& body) {
    return {status, "application/json", body.dump()};
}

// What the service sends for a code it cannot make sense of when asked in a browser-ish
// way: a page, not JSON, and long enough to be cut when shown as an error.
std::string htmlErrorPage() {
    return "<!DOCTYPE html>\n<html><head><title>Quintrel - Error</title></head>\n"
           "<body><h1>Something went wrong</h1>\n"
           "<p>The API code you sent could not be processed by this server. Please check "
           "that you copied the whole code from your Quintrel account page and try again. "
           "If the problem persists, contact support and quote the time of this message.</p>\n"
           "</body></html>\n";
}

}  // namespace

ChromeApi::ChromeApi(const Simulation& simulation, std::set<std::string> codes, int notifyEvery)
    : simulation_(simulation), codes_(std::move(codes)), notifyEvery_(notifyEvery) {}

HttpReply ChromeApi::handle(const Query& query, double now, const std::string& selfBase) {
    const auto itemNames = names(query);
    if (itemNames == kPollNames) {
        return poll(query, now, selfBase);
    }
    if (itemNames == kValidationNames) {
        return validate(query[1].value, now);
    }
    return json(400, {{"error", "Bad request"},
                      {"msg",
                       "Expected v,client,code,shownotify,keepalive,idle,nocache "
                       "(poll) or v,code (check)"}});
}

HttpReply ChromeApi::poll(const Query& query, double now, const std::string& selfBase) {
    if (!codes_.contains(query[2].value)) {
        return json(403, {{"error", "Unknown API code"}});
    }
    nlohmann::json body{
        {"online", simulation_.online(now)}, {"pv", simulation_.pageViews(now)}, {"notify", 0}};
    const bool wantsNotifications = query[3].value != "0";
    if (wantsNotifications && notifyEvery_ > 0) {
        const std::lock_guard lock(mutex_);
        ++notifyPolls_;
        if (notifyPolls_ % notifyEvery_ == 0) {
            const auto round = notifyPolls_ / notifyEvery_;
            const auto visitor = simulation_.recentVisitors(now, 1).front();
            body["notify"] = 1;
            body["notifytitle"] = "New visitor from " + visitor.city;
            body["notifydesc"] = "Someone from " + visitor.city + ", " + visitor.country +
                                 " is reading " + visitor.page + " (" +
                                 std::to_string(simulation_.online(now)) + " online now)";
            body["notifyurl"] = selfBase + "/alert.php?id=" + std::to_string(round);
            body["notifysound"] = round % 2 == 1 ? "media/01" : "media/02";
        }
    }
    return json(200, body);
}

HttpReply ChromeApi::validate(const std::string& code, double now) const {
    if (codes_.contains(code)) {
        return json(200, {{"error", 0},
                          {"online", simulation_.online(now)},
                          {"pv", simulation_.pageViews(now)},
                          {"notify", 0}});
    }
    // Each way the service turns a code down, chosen by a word in the code so that a
    // demo can show every outcome of the settings window's check.
    if (code.find("html") != std::string::npos) {
        return {200, "text/html; charset=utf-8", htmlErrorPage()};
    }
    if (code.find("msg") != std::string::npos) {
        return json(200, {{"error", "Invalid API code"}, {"msg", "Unknown API code"}});
    }
    return json(200, {{"error", 3}});
}

void ChromeApi::reset() {
    const std::lock_guard lock(mutex_);
    notifyPolls_ = 0;
}

}  // namespace standin
