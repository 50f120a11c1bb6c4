#include "desktop/tray/TrayText.h"

#include <algorithm>
#include <array>
#include <utility>

#include "util/ShortCount.h"

namespace quintrel::traytext {

namespace {

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

}  // namespace

std::vector<std::string> iconTexts(const std::string& title, std::optional<std::uint64_t> count) {
    for (const auto& [word, shortForm] : kShortWords) {
        if (title == word) {
            return {std::string(shortForm)};
        }
    }
    if (!count || *count < text::kShortCountFrom) {
        return {title};
    }
    return {title, text::shortCount(*count)};
}

HostDrawing hostDrawing(std::string_view processName) {
    const auto host = std::find_if(kHosts.begin(), kHosts.end(),
                                   [&](const auto& entry) { return entry.first == processName; });
    return host != kHosts.end() ? host->second : HostDrawing::squareIcon;
}

}  // namespace quintrel::traytext
