#pragma once
// The app's symbolic icon (resources/icons/com.quintrel.Companion-symbolic.svg, built in),
// for panels that draw the title as text beside the icon.

#include <QImage>

namespace quintrel::symbolicicon {

// The icon `size` pixels square; null when the SVG cannot be read (no SVG image plugin).
QImage image(int size);

}  // namespace quintrel::symbolicicon
