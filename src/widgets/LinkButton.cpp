#include "widgets/LinkButton.h"

namespace quintrel {

LinkButton::LinkButton(const QString& title, QWidget* parent) : QPushButton(title, parent) {
    setFlat(true);
    // Enter on a focused link follows it, as Space does.
    setAutoDefault(true);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Open Quintrel ") + title);
    // 12 pixels: the size the settings window's link frames were drawn for.
    QFont font = this->font();
    font.setPixelSize(12);
    font.setUnderline(true);
    setFont(font);
    setStyleSheet(QStringLiteral("QPushButton { color: %1; text-align: left; padding: 0px;"
                                 " border: 1px solid transparent; background: transparent; }"
                                 " QPushButton:focus { border: 1px dotted %1; }")
                      .arg(palette().color(QPalette::Link).name()));
}

}  // namespace quintrel
