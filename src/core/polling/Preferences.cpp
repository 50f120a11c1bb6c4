#include "polling/Preferences.h"

#include <cmath>

#include "app/AppDelegate.h"
#include "util/Text.h"

namespace quintrel {

namespace prefs {

std::optional<std::int64_t> wholeNumber(const nlohmann::json& value) {
    if (value.is_boolean()) {
        return value.get<bool>() ? 1 : 0;
    }
    if (value.is_number_unsigned()) {
        const auto n = value.get<std::uint64_t>();
        if (n <= static_cast<std::uint64_t>(INT64_MAX)) {
            return static_cast<std::int64_t>(n);
        }
        return std::nullopt;
    }
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        const double d = value.get<double>();
        // 2^63 itself is out of range; every double below it converts exactly.
        if (std::isfinite(d) && std::trunc(d) == d && d >= -9223372036854775808.0 &&
            d < 9223372036854775808.0) {
            return static_cast<std::int64_t>(d);
        }
    }
    return std::nullopt;
}

std::optional<std::string> text(const PreferencesStore& store, const std::string& key) {
    const auto value = store.object(key);
    if (!value || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<std::int64_t> integer(const PreferencesStore& store, const std::string& key) {
    const auto value = store.object(key);
    return value ? wholeNumber(*value) : std::nullopt;
}

bool switchIsOn(const PreferencesStore& store, const std::string& key) {
    const auto value = integer(store, key);
    return !value || *value == 1;
}

}  // namespace prefs

std::string AppDelegate::storedAPICode() const {
    return text::trimmed(prefs::text(platform.preferences, prefs::apiCode).value_or(""));
}

std::optional<std::string> AppDelegate::configuredAPICode() const {
    auto code = storedAPICode();
    if (code.empty() || text::graphemeCount(code) <= kMinimumAPICodeLength) {
        return std::nullopt;
    }
    return code;
}

}  // namespace quintrel
