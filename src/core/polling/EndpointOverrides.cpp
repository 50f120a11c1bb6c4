#include "polling/EndpointOverrides.h"

#include <cstdlib>

#include "util/Url.h"

namespace quintrel {
namespace {

// The base URL `value` names, or none. Only a bare "scheme://host[:port][/path]" is a
// base: a query or fragment would end up in the middle of every request URL.
std::optional<std::string> baseURL(std::string value) {
    while (!value.empty() && value.back() == '/') {
        value.pop_back();
    }
    if (!url::isWebURL(value) || !url::withQuery(value, {})) {
        return std::nullopt;
    }
    return value;
}

void applyOverride(std::string& field, const char* variable, const EnvironmentLookup& environment,
                   Console& console) {
    const auto value = environment(variable);
    if (!value || value->empty()) {
        return;
    }
    if (auto base = baseURL(*value)) {
        field = std::move(*base);
        console.printLine(std::string(variable) + " in effect: " + field);
        return;
    }
    console.printLine(std::string("Ignoring ") + variable +
                      ": not an http or https URL with a host; using " + field);
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
