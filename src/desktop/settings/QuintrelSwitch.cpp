#include "desktop/settings/QuintrelSwitch.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

namespace quintrel {

namespace {

constexpr int kTrackWidth = 40;
constexpr int kTrackHeight = 22;
constexpr int kKnobInset = 3;
// Room around the track for the keyboard-focus ring.
constexpr int kMargin = 3;

}  // namespace

QuintrelSwitch::QuintrelSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
}

QSize QuintrelSwitch::sizeHint() const {
    return {kTrackWidth + 2 * kMargin, kTrackHeight + 2 * kMargin};
}

void QuintrelSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& colors = palette();
    const QRectF track((width() - kTrackWidth) / 2.0, (height() - kTrackHeight) / 2.0, kTrackWidth,
                       kTrackHeight);
    const qreal radius = kTrackHeight / 2.0;

    QColor fill = isChecked() ? colors.color(QPalette::Highlight) : colors.color(QPalette::Mid);
    if (underMouse() && isEnabled()) {
        fill = fill.darker(108);
    }
    if (!isEnabled()) {
        painter.setOpacity(0.45);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knob = kTrackHeight - 2 * kKnobInset;
    const qreal knobX = isChecked() ? track.right() - kKnobInset - knob : track.left() + kKnobInset;
    const QRectF knobRect(knobX, track.top() + kKnobInset, knob, knob);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(knobRect.translated(0, 0.8));
    painter.setBrush(colors.color(QPalette::Base));
    painter.drawEllipse(knobRect);

    if (hasFocus()) {
        QPen ring(colors.color(QPalette::Highlight), 1.5);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        painter.setOpacity(1.0);
        const QRectF around = track.adjusted(-2.5, -2.5, 2.5, 2.5);
        painter.drawRoundedRect(around, radius + 2.5, radius + 2.5);
    }
}

void QuintrelSwitch::keyPressEvent(QKeyEvent* event) {
    const bool forward = event->key() == Qt::Key_Right;
    if ((!forward && event->key() != Qt::Key_Left) ||
        (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        // Space and the rest as any button; QAbstractButton would move the focus on arrows.
        QAbstractButton::keyPressEvent(event);
        return;
    }
    const bool on = forward != (layoutDirection() == Qt::RightToLeft);
    if (isChecked() != on) {
        // As a click, so that whoever listens to clicked() hears the keyboard too.
        click();
    }
    event->accept();
}

}  // namespace quintrel
