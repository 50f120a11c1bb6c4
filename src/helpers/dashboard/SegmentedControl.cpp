#include "helpers/dashboard/SegmentedControl.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace quintrel {

namespace {

// One frame around the whole row, thin separators between segments, the selected one filled.
QString segmentStyle(bool first, bool last) {
    QString style =
        "QToolButton { border: 1px solid palette(mid); border-left: none; padding: 2px 10px;"
        " background: palette(button); color: palette(button-text); }"
        "QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); }";
    if (first) {
        style +=
            "QToolButton { border-left: 1px solid palette(mid); border-top-left-radius: 6px;"
            " border-bottom-left-radius: 6px; }";
    }
    if (last) {
        style += "QToolButton { border-top-right-radius: 6px; border-bottom-right-radius: 6px; }";
    }
    return style;
}

}  // namespace

SegmentedControl::SegmentedControl(const QStringList& labels, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    group_.setExclusive(true);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new QToolButton(this);
        button->setText(labels[i]);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::TabFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setStyleSheet(segmentStyle(i == 0, i == labels.size() - 1));
        group_.addButton(button, i);
        layout->addWidget(button);
    }
    connect(&group_, &QButtonGroup::idClicked, this, &SegmentedControl::segmentSelected);
}

void SegmentedControl::setSelectedSegment(int segment) {
    if (auto* button = group_.button(segment)) {
        button->setChecked(true);
    }
}

QString SegmentedControl::label(int segment) const {
    const auto* button = group_.button(segment);
    return button ? button->text() : QString();
}

}  // namespace quintrel
