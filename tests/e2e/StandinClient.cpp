// Talking to the stand-in's control and log endpoints over loopback HTTP.

#include "StandinClient.h"

#include <httplib.h>

#include <sstream>

namespace quintrel::e2e {
namespace {

std::string decode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> items(const std::string& query) {
    std::vector<std::pair<std::string, std::string>> result;
    std::stringstream stream(query);
    std::string part;
    while (std::getline(stream, part, '&')) {
        const auto eq = part.find('=');
        result.emplace_back(decode(part.substr(0, eq)),
                            eq == std::string::npos ? "" : decode(part.substr(eq + 1)));
    }
    return result;
}

}  // namespace

std::vector<std::string> LoggedRequest::queryNames() const {
    std::vector<std::string> names;
    for (const auto& [name, value] : items(query)) {
        names.push_back(name);
    }
    return names;
}

std::optional<std::string> LoggedRequest::queryValue(const std::string& name) const {
    for (const auto& [key, value] : items(query)) {
        if (key == name) {
            return value;
        }
    }
    return std::nullopt;
}

bool StandinClient::script(const nlohmann::json& reply) {
    httplib::Client client("127.0.0.1", port_);
    const auto result = client.Post("/__control/next", reply.dump(), "application/json");
    return result && result->status == 200;
}

std::vector<LoggedRequest> StandinClient::log() const {
    httplib::Client client("127.0.0.1", port_);
    const auto result = client.Get("/__log");
    std::vector<LoggedRequest> entries;
    if (!result || result->status != 200) {
        return entries;
    }
    const auto json = nlohmann::json::parse(result->body, nullptr, false);
    if (!json.is_array()) {
        return entries;
    }
    for (const auto& e : json) {
        entries.push_back({e.value("method", ""), e.value("path", ""), e.value("query", ""),
                           e.value("time", 0.0), e.value("status", 0), e.value("body", ""),
                           e.value("clientPort", 0)});
    }
    return entries;
}

std::vector<LoggedRequest> StandinClient::requests(const std::string& path) const {
    auto all = log();
    std::erase_if(all, [&](const LoggedRequest& r) { return r.path != path; });
    return all;
}

void StandinClient::reset() {
    httplib::Client client("127.0.0.1", port_);
    client.Post("/__reset", "", "application/json");
}

}  // namespace quintrel::e2e
