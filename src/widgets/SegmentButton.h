#pragma once
// One segment of a SegmentedControl.

#include <QToolButton>

namespace quintrel {

// One segment; a class of its own so that assistive technology is told it is a tab.
class SegmentButton final : public QToolButton {
    Q_OBJECT

public:
    using QToolButton::QToolButton;
};

}  // namespace quintrel
