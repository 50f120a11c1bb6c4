#include "polling/EndpointOverrides.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

#include "util/Url.h"

namespace quintrel {
namespace {

// Whether `octets` is a dotted IPv4 address in 127.0.0.0/8.
bool isLoopbackIPv4(std::string_view octets) {
    int count = 0;
    std::size_t start = 0;
    bool first127 = false;
    while (true) {
        const auto dot = octets.find('.', start);
        const auto part = octets.substr(start, dot == std::string_view::npos ? dot : dot - start);
        if (part.empty() || part.size() > 3 ||
            !std::all_of(part.begin(), part.end(),
                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
            std::stoi(std::string(part)) > 255) {
            return false;
        }
        if (count == 0) {
            first127 = part == "127";
        }
        ++count;
        if (dot == std::string_view::npos) {
            return count == 4 && first127;
        }
        start = dot + 1;
    }
}

// Whether the host of the web URL `value` is this machine: 127.0.0.0/8, [::1] or localhost.
bool hasLoopbackHost(std::string_view value) {
    std::string_view authority = value.substr(value.find("://") + 3);
    authority = authority.substr(0, authority.find('/'));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (authority.starts_with('[')) {
        return authority.substr(0, authority.find(']') + 1) == "[::1]";
    }
    std::string host(authority.substr(0, authority.find(':')));
    std::transform(host.begin(), host.end(), host.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    return host == "localhost" || isLoopbackIPv4(host);
}

// The base URL `value` names, or none. Only a bare "scheme://host[:port][/path]" is a
// base: a query or fragment would end up in the middle of every request URL. Plain http
// would carry the API code over the network in clear text, so it stays on this machine.
std::optional<std::string> baseURL(std::string value) {
    while (!value.empty() && value.back() == '/') {
        value.pop_back();
    }
    if (!url::isWebURL(value) || !url::withQuery(value, {})) {
        return std::nullopt;
    }
    if (url::scheme(value) == "http" && !hasLoopbackHost(value)) {
        return std::nullopt;
    }
    return value;
}

// `base` for the log: a user name and password in it stay out.
std::string shownURL(std::string_view base) {
    const std::size_t start = base.find("://") + 3;
    const std::size_t at = base.substr(0, base.find('/', start)).rfind('@');
    if (at == std::string_view::npos || at < start) {
        return std::string(base);
    }
    return std::string(base.substr(0, start)) + "***" + std::string(base.substr(at));
}

void applyOverride(std::string& field, const char* variable, const EnvironmentLookup& environment,
                   Console& console) {
    const auto value = environment(variable);
    if (!value || value->empty()) {
        return;
    }
    if (auto base = baseURL(*value)) {
        field = std::move(*base);
        console.printLine(std::string(variable) + " in effect: " + shownURL(field));
        return;
    }
    console.printLine(std::string("Ignoring ") + variable +
                      ": not an http or https URL with a host; using " + shownURL(field));
}

}  // namespace

ServiceEndpoints withEndpointOverrides(ServiceEndpoints defaults,
                                       const EnvironmentLookup& environment, Console& console) {
    applyOverride(defaults.baseURL, kServiceURLVariable, environment, console);
    applyOverride(defaults.widgetURL, kWidgetURLVariable, environment, console);
    return defaults;
}

std::optional<std::string> processEnvironment(const char* name) {
    // Read once at start-up on the main thread, before any other thread exists.
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe)
    return value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace quintrel
