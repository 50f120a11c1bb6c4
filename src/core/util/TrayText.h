#pragma once
// What the tray shows where: the title shortened for a painted icon, and which panels
// draw an item's text label next to its icon.

#include <string>
#include <string_view>

namespace quintrel::traytext {

// The title as painted inside a small icon: a count of five or more digits is shortened
// to at most four characters, rounded down (15027 → "15k", 1234567 → "1.2M"); any other
// title is painted as it is.
std::string iconText(const std::string& title);

// Whether the panel whose StatusNotifierWatcher runs in the process named `processName`
// (its /proc/<pid>/comm) draws items' text labels. Unknown panels are taken not to.
bool hostDrawsLabels(std::string_view processName);

}  // namespace quintrel::traytext
