#pragma once
// A one-line label that cuts its text at the tail with an ellipsis when it is too wide.

#include <QFrame>
#include <QString>

namespace quintrel {

class ElidedLabel final : public QFrame {
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);
    QString text() const { return text_; }
    void setText(const QString& text);
    // The text as it is drawn at the current width.
    QString shownText() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

}  // namespace quintrel
