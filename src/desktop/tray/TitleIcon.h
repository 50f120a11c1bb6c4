#pragma once
// The tray title painted as an icon: white text on a dark rounded plate, readable on
// light and dark panels alike.

#include <QImage>
#include <QList>
#include <QString>

namespace quintrel::titleicon {

// The heights painted for StatusNotifierItem hosts, which pick the one nearest their panel.
inline constexpr int kSizes[] = {22, 32, 48, 64};

// `height` pixels high and as wide as the text needs (at least square), for hosts that
// keep the icon's aspect ratio.
QImage wide(const QString& title, int height);

// A square icon: long titles shrink or wrap onto two lines to stay inside the square,
// for trays that give every icon a square slot.
QImage square(const QString& title, int size);

}  // namespace quintrel::titleicon
