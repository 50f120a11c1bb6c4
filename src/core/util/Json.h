#pragma once
// Parsing JSON bodies that come from the network.

#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace quintrel::json {

// Deeper bodies are refused before parsing; no reply of the service nests this far.
inline constexpr int kMaxDepth = 64;

// The parsed value, or none for anything that is not one complete JSON text: invalid
// JSON or UTF-8, trailing bytes, nesting beyond kMaxDepth, or an object that names a
// member twice (which member would count is ambiguous). Never throws.
std::optional<nlohmann::json> parse(std::string_view body);

// The value as a signed 64-bit integer when JSON holds it as an integer that fits.
std::optional<std::int64_t> exactInteger(const nlohmann::json& value);

}  // namespace quintrel::json
