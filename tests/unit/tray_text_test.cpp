// What the tray paints and where: counts shortened for the icon, and the panels that
// draw an item's label themselves.

#include <gtest/gtest.h>

#include "util/TrayText.h"

namespace quintrel {
namespace {

TEST(TrayText, IconTextShortensCountsOfFiveDigitsOrMore) {
    const std::pair<std::string, std::string> cases[] = {
        {"0", "0"},
        {"9999", "9999"},
        {"10000", "10k"},
        {"15027", "15k"},
        {"99999", "99k"},  // rounded down: never more than the count
        {"100000", "100k"},
        {"999999", "999k"},
        {"1000000", "1.0M"},
        {"1234567", "1.2M"},
        {"12345678", "12M"},
        {"999999999", "999M"},
        {"1500000000", "1.5G"},
        {"9999999999999999999", "9.9E"},  // the largest count of 64 bits' range here
        {"00012", "00012"},
        {"Quintrel", "Quintrel"},
        {"...", "..."},
        {"Check API", "Check API"},
        {"", ""},
        {"-15027", "-15027"},
        {"15 027", "15 027"},
        {"99999999999999999999", "99999999999999999999"},  // 20 digits: painted as it is
    };
    for (const auto& [title, painted] : cases) {
        EXPECT_EQ(traytext::iconText(title), painted) << title;
    }
}

TEST(TrayText, OnlyGnomeShellDrawsLabels) {
    EXPECT_TRUE(traytext::hostDrawsLabels("gnome-shell"));
    for (const char* name : {"xfce4-panel", "wrapper-2.0", "panel-wrapper", "waybar", "plasmashell",
                             "kded5", "quintrel-panel", "", "gnome-shell-x"}) {
        EXPECT_FALSE(traytext::hostDrawsLabels(name)) << name;
    }
}

}  // namespace
}  // namespace quintrel
