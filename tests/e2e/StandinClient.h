#pragma once
// The test side of the stand-in: scripting its next replies and reading its request log.

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace quintrel::e2e {

struct LoggedRequest {
    std::string method;
    std::string path;
    std::string query;  // raw, items in the order sent
    double time;
    int status;  // 0 while the reply is pending or when the connection was dropped
    std::string body;
    int clientPort;  // one per connection the client opened

    // The query's item names in order, and one item's value (percent-decoded).
    std::vector<std::string> queryNames() const;
    std::optional<std::string> queryValue(const std::string& name) const;
};

class StandinClient {
public:
    explicit StandinClient(int port = 0) : port_(port) {}

    int port() const { return port_; }
    void setPort(int port) { port_ = port; }

    // Queues a scripted reply, e.g. {{"path","/api/chrome.php"},{"status",503}}; see
    // `quintrel-standin --help`. False when the stand-in refused it.
    bool script(const nlohmann::json& reply);
    std::vector<LoggedRequest> log() const;
    // Only the requests of one path.
    std::vector<LoggedRequest> requests(const std::string& path) const;
    void reset();

private:
    int port_;
};

}  // namespace quintrel::e2e
