#include "polling/Preferences.h"

#include "app/AppDelegate.h"
#include "util/Json.h"
#include "util/Text.h"

namespace quintrel {

namespace prefs {

std::optional<std::string> text(const PreferencesStore& store, const std::string& key) {
    const auto value = store.object(key);
    if (!value || !value->is_string()) {
        return std::nullopt;
    }
    return value->get<std::string>();
}

std::optional<std::int64_t> integer(const PreferencesStore& store, const std::string& key) {
    const auto value = store.object(key);
    if (!value) {
        return std::nullopt;
    }
    if (value->is_boolean()) {
        return value->get<bool>() ? 1 : 0;
    }
    return json::wholeNumber(*value);
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
