#pragma once
// A count shortened for a small space, rounded down: 1234 → "1.2k", 15027 → "15k",
// 1234567 → "1.2M".

#include <cstdint>
#include <string>

namespace quintrel::text {

// Counts from this on have a short form; smaller ones are written whole.
inline constexpr std::uint64_t kShortCountFrom = 1'000;

// The short form of a count of at least kShortCountFrom.
std::string shortCount(std::uint64_t count);

}  // namespace quintrel::text
