#pragma once
// The app's symbolic icon (resources/icons/com.quintrel.Companion-symbolic.svg, built in as
// PNGs of the tray item's sizes), for panels that draw the title as text beside the icon.

#include <QImage>
#include <QString>

namespace quintrel::symbolicicon {

// Its name in the icon theme. A host that finds it by name (GNOME's) colours it like the
// panel's own icons; a pixmap it draws as it is.
inline constexpr const char* kName = "com.quintrel.Companion-symbolic";

// The icon `size` pixels square; null when it cannot be read.
QImage image(int size);

// Where a host finds the icon by name when its default theme does not have it: the
// source tree's icons in a build tree, else the icon themes installed beside the binary;
// empty when neither is there.
QString themePath();

}  // namespace quintrel::symbolicicon
