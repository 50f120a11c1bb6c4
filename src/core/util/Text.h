#pragma once
// Text helpers shared by the whole system. Texts are UTF-8; lengths count what a
// person sees as one character (extended grapheme clusters).

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace quintrel::text {

// Removes leading and trailing characters with the Unicode White_Space property
// (space separators, tab, LF, VT, FF, CR, NEL, LS, PS). Bytes in between stay as they are.
std::string trimmed(std::string_view text);

bool isValidUTF8(std::string_view text);

std::size_t graphemeCount(std::string_view text);

// `text` when it has at most `limit` characters, else its first `limit - 3` followed by
// "...", so the result has exactly `limit` characters. With `maxBytes`, a text longer than
// that in bytes is cut too, where a character ends, so that it fits with the "..." (one
// character can be a letter with thousands of accents).
std::string ellipsized(std::string_view text, std::size_t limit,
                       std::size_t maxBytes = std::string_view::npos);

// `text` as one line of plain text: line breaks and tabs become spaces, and every other
// control character (C0, DEL, C1: NUL, BEL, ESC, ...) is dropped.
std::string singleLine(std::string_view text);

// "yyyy-MM-dd HH:mm:ss" in the local time zone.
std::string localDateTime(std::chrono::system_clock::time_point time);

// The shortest decimal that reads back to `value`, without exponent, always with a
// fractional part ("1700000000.5", "42.0").
std::string shortestDecimal(double value);

}  // namespace quintrel::text
