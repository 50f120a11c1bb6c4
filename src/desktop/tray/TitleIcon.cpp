#include "desktop/tray/TitleIcon.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include <QPainter>
#include <QPainterPath>

#include "desktop/tray/TrayText.h"

namespace quintrel::titleicon {

namespace {

const QColor kPlate(32, 32, 32);
const QColor kText(255, 255, 255);

// Glyph outlines are taken at this size and scaled: the digits then fill the icon to the
// pixel, which no hinted pixel size does.
constexpr int kOutlinePixels = 200;
// Narrower than the face's own width the digits may be squeezed, no further: below this
// their counters close up.
constexpr qreal kMinSqueeze = 0.7;

QFont face() {
    QFont font;
    font.setPixelSize(kOutlinePixels);
    font.setWeight(QFont::Black);
    font.setStretch(QFont::Condensed);
    return font;
}

// Where digits sit on the baseline in the outline: their top (negative) to bottom.
const QRectF& digitBox() {
    static const QRectF box = [] {
        QPainterPath digits;
        digits.addText(0, 0, face(), QStringLiteral("0123456789"));
        return digits.boundingRect();
    }();
    return box;
}

// One form of the title, fitted into a box: its outline and the scale that fills the box.
struct Fit {
    QPainterPath outline;
    QRectF box;  // the outline's bounds at outline size, at least the digits' height
    qreal scaleX = 1;
    qreal scaleY = 1;
    int height = 0;  // of the box when painted, in whole pixels: the edges stay sharp
};

Fit fit(const QString& text, qreal width, int height) {
    Fit f;
    f.outline.addText(0, 0, face(), text);
    // Letters reaching below the digits ("Q") shrink the digits rather than lose their foot.
    const QRectF ink = f.outline.boundingRect();
    f.box =
        QRectF(ink.left(), std::min(ink.top(), digitBox().top()), ink.width(),
               std::max(ink.bottom(), digitBox().bottom()) - std::min(ink.top(), digitBox().top()));
    const qreal span = f.box.height();
    qreal scaleY = height / span;
    qreal scaleX = scaleY;
    if (f.box.width() * scaleX > width) {
        scaleX = width / f.box.width();
        scaleY = std::min(scaleY, scaleX / kMinSqueeze);
    }
    f.height = std::max(1, static_cast<int>(std::floor(span * scaleY + 1e-6)));
    f.scaleY = f.height / span;
    f.scaleX = std::min(scaleX, f.scaleY);
    return f;
}

// Margins that keep the digits off the plate's rounded edge.
int verticalMargin(int size) {
    return std::max(1, static_cast<int>(std::lround(size * 0.09)));
}
int horizontalMargin(int size) {
    return std::max(1, static_cast<int>(std::lround(size * 0.05)));
}

std::vector<QString> forms(const QString& title, std::optional<std::uint64_t> count) {
    std::vector<QString> texts;
    for (const std::string& text : traytext::iconTexts(title.toStdString(), count)) {
        texts.push_back(QString::fromStdString(text));
    }
    return texts;
}

// The form whose digits come out tallest in a `size` square; the earlier on a tie.
Fit bestSquareFit(const QString& title, std::optional<std::uint64_t> count, int size) {
    const qreal width = size - 2 * horizontalMargin(size);
    const int height = size - 2 * verticalMargin(size);
    Fit best;
    for (const QString& text : forms(title, count)) {
        Fit candidate = fit(text, width, height);
        if (candidate.height > best.height) {
            best = std::move(candidate);
        }
    }
    return best;
}

QImage paint(const Fit& f, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = height / 8.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPlate);
    painter.drawRoundedRect(QRectF(0, 0, width, height), radius, radius);

    const qreal left = (width - f.box.width() * f.scaleX) / 2 - f.box.left() * f.scaleX;
    // The digits' top on a whole pixel row: with a whole-pixel height both edges are sharp.
    const int top = (height - f.height) / 2;
    painter.translate(left, top - f.box.top() * f.scaleY);
    painter.scale(f.scaleX, f.scaleY);
    painter.setBrush(kText);
    painter.drawPath(f.outline);
    return image;
}

}  // namespace

QImage square(const QString& title, std::optional<std::uint64_t> count, int size) {
    return paint(bestSquareFit(title, count, size), size, size);
}

QImage wide(const QString& title, std::optional<std::uint64_t> count, int height) {
    const std::vector<QString> texts = forms(title, count);
    const QString shortest =
        *std::min_element(texts.begin(), texts.end(),
                          [](const QString& a, const QString& b) { return a.size() < b.size(); });
    // As tall as the slot allows; the width follows.
    Fit f = fit(shortest, std::numeric_limits<qreal>::max(), height - 2 * verticalMargin(height));
    const int width =
        static_cast<int>(std::ceil(f.box.width() * f.scaleX)) + 2 * verticalMargin(height);
    return paint(f, std::max(height, width), height);
}

}  // namespace quintrel::titleicon
