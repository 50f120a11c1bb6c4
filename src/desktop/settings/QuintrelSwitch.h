#pragma once
// An on/off switch: a rounded track with a sliding knob, checkable like a check box.
// Keyboard: Tab reaches it, Space toggles it, Right turns it on and Left off (mirrored
// right to left), as the knob moves. Assistive technology sees a check box (Qt's button
// interface), named by its accessibleName.

#include <QAbstractButton>

namespace quintrel {

class QuintrelSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit QuintrelSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace quintrel
