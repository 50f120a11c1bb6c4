#pragma once
// Every request the stand-in received, in arrival order, for tests to read back.

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

struct LoggedRequest {
    std::string method;
    std::string path;
    std::string query;   // raw, as sent, items in their order
    double time;         // seconds since 1970
    int status = 0;      // 0 until the reply is decided
    std::string body;    // the reply's body once decided
    int clientPort = 0;  // tells apart the connections a client used
};

class RequestLog {
public:
    // Answers the entry's index, for `setReply`.
    size_t add(LoggedRequest request);
    void setReply(size_t index, int status, const std::string& body);
    std::string toJson() const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<LoggedRequest> entries_;
    size_t offset_ = 0;  // indexes stay unique across clears, so late replies land nowhere
};

}  // namespace standin
