#include "desktop/tray/TitleIcon.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace quintrel::titleicon {

namespace {

const QColor kPlate(32, 32, 32, 230);
const QColor kText(255, 255, 255);

QFont fontOfPixelSize(int pixels) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(std::max(pixels, 1));
    // Full hinting snaps stems to whole pixels: crisp digits at panel sizes.
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage plate(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = height / 5.0;
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
    painter.fillPath(path, kPlate);
    return image;
}

void drawLines(QImage& image, const QStringList& lines, const QFont& font) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(kText);
    const QFontMetricsF metrics(font);
    const qreal lineHeight = metrics.ascent() + metrics.descent();
    qreal top = (image.height() - lineHeight * lines.size()) / 2.0;
    for (const QString& line : lines) {
        const QRectF box(0, std::round(top), image.width(), lineHeight);
        painter.drawText(box, Qt::AlignCenter, line);
        top += lineHeight;
    }
}

// The largest pixel size, not above `start`, at which every line fits `width` and the
// lines together fit `height`.
int fittingPixelSize(const QStringList& lines, int start, qreal width, qreal height) {
    for (int pixels = start; pixels > 4; --pixels) {
        const QFontMetricsF metrics(fontOfPixelSize(pixels));
        bool fits = (metrics.ascent() + metrics.descent()) * lines.size() <= height;
        for (const QString& line : lines) {
            fits = fits && metrics.horizontalAdvance(line) <= width;
        }
        if (fits) {
            return pixels;
        }
    }
    return 4;
}

}  // namespace

QImage wide(const QString& title, int height) {
    const QFont font = fontOfPixelSize(static_cast<int>(height * 0.68));
    const qreal padding = height * 0.2;
    const int textWidth = static_cast<int>(std::ceil(QFontMetricsF(font).horizontalAdvance(title)));
    QImage image = plate(std::max(height, textWidth + static_cast<int>(2 * padding)), height);
    drawLines(image, {title}, font);
    return image;
}

QImage square(const QString& title, int size) {
    const qreal inner = size * 0.9;
    QStringList lines{title};
    int pixels = fittingPixelSize(lines, static_cast<int>(size * 0.68), inner, inner);
    // Below about 45% of the slot one line is hard to read; two half-lines read better.
    if (pixels < size * 0.45 && title.size() > 2) {
        const qsizetype half = (title.size() + 1) / 2;
        const QStringList twoLines{title.left(half), title.mid(half)};
        const int twoLinePixels =
            fittingPixelSize(twoLines, static_cast<int>(size * 0.5), inner, inner);
        if (twoLinePixels > pixels) {
            lines = twoLines;
            pixels = twoLinePixels;
        }
    }
    QImage image = plate(size, size);
    drawLines(image, lines, fontOfPixelSize(pixels));
    return image;
}

}  // namespace quintrel::titleicon
