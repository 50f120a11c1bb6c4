#pragma once
// Replies of a hostile service: what the stand-in sends when a test asks for a fault.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace standin {

enum class Fault {
    hugeBody,      // a valid reply padded to 10 MiB
    trickle,       // a valid reply sent a few bytes a second over a minute
    reset,         // headers and half the body, then a TCP reset
    invalidUtf8,   // a reply whose text member is Latin-1, not UTF-8
    deepJson,      // a reply with an array nested 100 000 deep
    redirectLoop,  // a redirect to a path that redirects to itself for ever
};

std::optional<Fault> faultNamed(std::string_view name);
std::string_view faultName(Fault fault);

inline constexpr std::size_t kHugeBodyBytes = 10 * 1024 * 1024;
inline constexpr std::chrono::seconds kTrickleDuration{60};
inline constexpr int kDeepJsonDepth = 100000;
// Where a redirect loop leads; that path always redirects to itself.
inline constexpr const char* kRedirectLoopPath = "/__redirect-loop";

// The body of a fault that sends one; each carries a count no other reply has, so a
// client that wrongly accepted it would show it.
std::string faultBody(Fault fault);

}  // namespace standin
