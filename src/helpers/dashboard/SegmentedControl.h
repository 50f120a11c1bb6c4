#pragma once
// A row of exclusive checkable buttons drawn as one segmented bar.

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

signals:
    void segmentSelected(int segment);

private:
    QButtonGroup group_;
};

}  // namespace quintrel
