#pragma once
// What the tray shows where: the forms of the title worth painting into a small icon, and
// how each known panel draws an item.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quintrel::traytext {

// The forms of the title worth painting inside a small icon, in order of preference; the
// painter keeps the one that reads largest. A count (`count`, the number the title shows)
// from kShortCountFrom on may also be shortened (text::shortCount); the app's own words
// have a short form ("Quintrel" → "Q", "Check API" → "API"); any other title is painted as
// it is.
std::vector<std::string> iconTexts(const std::string& title, std::optional<std::uint64_t> count);

// How a panel draws an item.
enum class HostDrawing {
    squareIcon,  // the icon alone, scaled into a square slot
    wideIcon,    // the icon alone, as wide as its pixmap is for the panel's height
    label,       // the item's text label beside a small icon
};

// How the panel whose StatusNotifierWatcher runs in the process named `processName` (its
// /proc/<pid>/comm) draws items. Unknown panels are taken to give a square slot.
HostDrawing hostDrawing(std::string_view processName);

}  // namespace quintrel::traytext
