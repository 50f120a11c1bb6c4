#include "util/ShortCount.h"

#include <array>

namespace quintrel::text {

std::string shortCount(std::uint64_t count) {
    constexpr std::array<char, 6> kSuffixes{'k', 'M', 'G', 'T', 'P', 'E'};
    std::uint64_t unit = 1000;
    std::size_t suffix = 0;
    while (suffix + 1 < kSuffixes.size() && count / unit >= 1000) {
        unit *= 1000;
        ++suffix;
    }
    const std::uint64_t whole = count / unit;
    std::string text = std::to_string(whole);
    if (whole < 10) {
        text += '.';
        text += static_cast<char>('0' + (count % unit) / (unit / 10));
    }
    return text + kSuffixes[suffix];
}

}  // namespace quintrel::text
