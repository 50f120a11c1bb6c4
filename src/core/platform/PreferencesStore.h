#pragma once
// The user's persistent preferences: typed values under plain string keys.

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace quintrel {

class PreferencesStore {
public:
    virtual ~PreferencesStore() = default;

    // The stored value with its type, or none when the key is absent. Thread-safe.
    virtual std::optional<nlohmann::json> object(const std::string& key) const = 0;
    virtual void setString(const std::string& key, const std::string& value) = 0;
    virtual void setInteger(const std::string& key, std::int64_t value) = 0;
};

}  // namespace quintrel
