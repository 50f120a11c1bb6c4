#pragma once
// The tray title painted as an icon that is all number: light digits as tall and heavy as
// fit, on a dark plate that fills the icon, readable on light and dark panels alike.

#include <cstdint>
#include <optional>

#include <QImage>
#include <QString>

namespace quintrel::titleicon {

// The sizes painted, one pixmap each: every slot size panels commonly ask for, so a host
// finds its own and scales nothing.
inline constexpr int kSizes[] = {16, 22, 24, 32, 48, 64};

// A `size`×`size` icon of the form of `title` (traytext::iconTexts; `count` is the number
// the title shows, if any) whose digits come out tallest; a narrower face where several
// characters share the width.
QImage square(const QString& title, std::optional<std::uint64_t> count, int size);

// `height` pixels high with digits as tall as a square icon's single digit, as wide as the
// shortest form of `title` needs (at least square), for hosts that keep the aspect ratio.
QImage wide(const QString& title, std::optional<std::uint64_t> count, int height);

}  // namespace quintrel::titleicon
