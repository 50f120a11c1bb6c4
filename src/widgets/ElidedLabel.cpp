#include "widgets/ElidedLabel.h"

#include <QPainter>
#include <QString>

namespace quintrel {

ElidedLabel::ElidedLabel(const QString& text, QWidget* parent) : QFrame(parent), text_(text) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void ElidedLabel::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    // Tooltips render anything that looks like markup, and the text may come from the
    // network: escaped inside a rich-text paragraph it shows exactly as it is.
    setToolTip(fontMetrics().horizontalAdvance(text_) > width()
                   ? QStringLiteral("<p style='white-space:pre-wrap'>") + text_.toHtmlEscaped() +
                         QStringLiteral("</p>")
                   : QString());
    update();
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text_, Qt::ElideRight, contentsRect().width());
}

QSize ElidedLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text_), fontMetrics().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

}  // namespace quintrel
