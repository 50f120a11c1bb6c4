#pragma once
// Parsing JSON bodies that come from the network.

#include <cstdint>
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

// A JSON number whose value is whole and fits in signed 64 bits, however it is written
// (3, 3.0, 3e0). Booleans, texts and everything else are no number. A number written
// with a fraction or exponent is held as a double, and integer texts just below -2^63
// round to exactly -2^63 as a double, so that double is refused; -2^63 written as an
// integer is kept.
std::optional<std::int64_t> wholeNumber(const nlohmann::json& value);

}  // namespace quintrel::json
