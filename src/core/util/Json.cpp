#include "util/Json.h"

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace quintrel::json {

namespace {

bool nestsWithin(std::string_view body, int limit) {
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : body) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > limit) {
                return false;
            }
        } else if (c == '}' || c == ']') {
            --depth;
        }
    }
    return true;
}

}  // namespace

std::optional<nlohmann::json> parse(std::string_view body) {
    if (!nestsWithin(body, kMaxDepth)) {
        return std::nullopt;
    }
    std::vector<std::set<std::string>> keysPerObject;
    bool duplicate = false;
    const nlohmann::json::parser_callback_t watch = [&](int, nlohmann::json::parse_event_t event,
                                                        nlohmann::json& parsed) {
        using Event = nlohmann::json::parse_event_t;
        if (event == Event::object_start) {
            keysPerObject.emplace_back();
        } else if (event == Event::object_end && !keysPerObject.empty()) {
            keysPerObject.pop_back();
        } else if (event == Event::key && !keysPerObject.empty()) {
            duplicate |= !keysPerObject.back().insert(parsed.get<std::string>()).second;
        }
        return true;
    };
    auto value = nlohmann::json::parse(body.begin(), body.end(), watch, /*allow_exceptions=*/false);
    if (value.is_discarded() || duplicate) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> wholeNumber(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        const auto n = value.get<std::uint64_t>();
        if (n <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return static_cast<std::int64_t>(n);
        }
        return std::nullopt;
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        constexpr double kTwoTo63 = 9223372036854775808.0;
        const double d = value.get<double>();
        if (std::isfinite(d) && std::trunc(d) == d && d > -kTwoTo63 && d < kTwoTo63) {
            return static_cast<std::int64_t>(d);
        }
    }
    return std::nullopt;
}

}  // namespace quintrel::json
