#pragma once
// A row of exclusive checkable buttons drawn as one segmented bar. Each segment is reached
// with Tab and chosen with Space; the arrow keys move to the next segment and choose it.
// Assistive technology sees a tab list whose segments are page tabs, the chosen one
// checked and selected.

#include <QButtonGroup>
#include <QStringList>
#include <QWidget>

namespace quintrel {

class SegmentedControl final : public QWidget {
    Q_OBJECT

public:
    SegmentedControl(const QStringList& labels, QWidget* parent = nullptr);
    // -1 when no segment is selected.
    int selectedSegment() const { return group_.checkedId(); }
    void setSelectedSegment(int segment);
    int segmentCount() const { return static_cast<int>(group_.buttons().size()); }
    QString label(int segment) const;
    QWidget* segmentButton(int segment) const;

signals:
    void segmentSelected(int segment);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(int segment);

    QButtonGroup group_;
};

}  // namespace quintrel
