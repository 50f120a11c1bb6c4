#pragma once
// Pointing the app at another Quintrel host at run time: a staging server, a self-hosted
// proxy or the local stand-in. The built-in hosts stay the default.

#include <functional>
#include <optional>
#include <string>

#include "platform/Console.h"
#include "polling/ServiceEndpoints.h"

namespace quintrel {

// Reads a variable of the process environment; none when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

inline constexpr const char* kServiceURLVariable = "QUINTREL_SERVICE_URL";
inline constexpr const char* kWidgetURLVariable = "QUINTREL_WIDGET_URL";

// `defaults` with each host replaced by its variable when that holds an http(s) URL
// with a host and nothing after the path ("https://staging.example.com", a trailing
// slash dropped). Anything else keeps the default and says so on the console.
ServiceEndpoints withEndpointOverrides(ServiceEndpoints defaults,
                                       const EnvironmentLookup& environment, Console& console);

// The real process environment.
std::optional<std::string> processEnvironment(const char* name);

}  // namespace quintrel
