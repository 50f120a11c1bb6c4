#pragma once
// The service's stats endpoint: the poll with its seven items and the API-code check.

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include "Query.h"
#include "Simulation.h"

namespace standin {

// The API code the demo stores and the stand-in accepts out of the box.
inline constexpr const char* kDemoCode = "QuintrelDemo2026standinCode0123456789";

struct HttpReply {
    int status;
    std::string contentType;
    std::string body;
};

class ChromeApi {
public:
    // `notifyEvery`: every n-th poll that asks for notifications gets one; 0 never.
    ChromeApi(const Simulation& simulation, std::set<std::string> codes, int notifyEvery);

    // `selfBase` is "http://host:port" as the client reached us; links point there.
    HttpReply handle(const Query& query, double now, const std::string& selfBase);
    void reset();

private:
    HttpReply poll(const Query& query, double now, const std::string& selfBase);
    HttpReply validate(const std::string& code, double now) const;

    const Simulation& simulation_;
    const std::set<std::string> codes_;
    const int notifyEvery_;
    std::mutex mutex_;
    int64_t notifyPolls_ = 0;
};

}  // namespace standin
