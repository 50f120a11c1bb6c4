#include "util/TrayText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace quintrel::traytext {

namespace {

// From four digits on a shortened count may read larger than the whole one.
constexpr std::uint64_t kShortenFrom = 1'000;

// Process names of the watchers of the panels seen so far. GNOME's AppIndicator extension
// runs inside gnome-shell; KDE's watcher is kded's (kded5 on Plasma 5, kded6 on Plasma 6),
// Plasma's own host plasmashell's.
constexpr std::array<std::pair<std::string_view, HostDrawing>, 8> kHosts{{
    {"gnome-shell", HostDrawing::label},
    {"xfce4-panel", HostDrawing::squareIcon},
    // xfce4-panel's plugin wrapper: Debian 12's (4.18) and later releases' name.
    {"wrapper-2.0", HostDrawing::squareIcon},
    {"panel-wrapper", HostDrawing::squareIcon},
    {"waybar", HostDrawing::wideIcon},
    {"plasmashell", HostDrawing::squareIcon},
    {"kded5", HostDrawing::squareIcon},
    {"kded6", HostDrawing::squareIcon},
}};

constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kShortWords{{
    {"Quintrel", "Q"},
    {"Check API", "API"},
}};

std::string shortenedCount(std::uint64_t count) {
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

}  // namespace

std::vector<std::string> iconTexts(const std::string& title) {
    for (const auto& [word, shortForm] : kShortWords) {
        if (title == word) {
            return {std::string(shortForm)};
        }
    }
    constexpr std::size_t kMaxDigits = 19;  // every such count fits 64 bits
    if (title.empty() || title.size() > kMaxDigits ||
        !std::all_of(title.begin(), title.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return {title};
    }
    const std::uint64_t count = std::stoull(title);
    if (count < kShortenFrom) {
        return {title};
    }
    return {title, shortenedCount(count)};
}

HostDrawing hostDrawing(std::string_view processName) {
    const auto host = std::find_if(kHosts.begin(), kHosts.end(),
                                   [&](const auto& entry) { return entry.first == processName; });
    return host != kHosts.end() ? host->second : HostDrawing::squareIcon;
}

}  // namespace quintrel::traytext
