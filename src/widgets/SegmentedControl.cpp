#include "widgets/SegmentedControl.h"

#include <algorithm>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

#include "widgets/SegmentButton.h"

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

constexpr const char* kSegmentProperty = "quintrelSegment";

// A segment as assistive technology sees it: a page tab named by its label, checked and
// selected while it is the chosen one.
class SegmentAccessible final : public QAccessibleWidget {
public:
    explicit SegmentAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::PageTab) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? button()->text() : QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.selectable = true;
        state.checked = button()->isChecked();
        state.selected = button()->isChecked();
        return state;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction()) {
            button()->click();
        }
    }

private:
    QToolButton* button() const { return static_cast<QToolButton*>(widget()); }
};

QAccessibleInterface* accessibleFor(const QString& className, QObject* object) {
    if (object && className == QLatin1String("quintrel::SegmentButton")) {
        return new SegmentAccessible(static_cast<QWidget*>(object));
    }
    if (object && className == QLatin1String("quintrel::SegmentedControl")) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::PageTabList);
    }
    return nullptr;
}

}  // namespace

SegmentedControl::SegmentedControl(const QStringList& labels, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    group_.setExclusive(true);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFor);
        return true;
    }();
    (void)factoryInstalled;
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new SegmentButton(this);
        button->setText(labels[i]);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setFocusPolicy(Qt::TabFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setStyleSheet(segmentStyle(i == 0, i == labels.size() - 1));
        button->setProperty(kSegmentProperty, i);
        button->installEventFilter(this);
        connect(button, &QToolButton::toggled, button, [button](bool) {
            QAccessible::State changed;
            changed.checked = true;
            changed.selected = true;
            QAccessibleStateChangeEvent event(button, changed);
            QAccessible::updateAccessibility(&event);
        });
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

QWidget* SegmentedControl::segmentButton(int segment) const {
    return group_.button(segment);
}

void SegmentedControl::choose(int segment) {
    if (auto* button = group_.button(segment)) {
        button->setFocus(Qt::TabFocusReason);
        if (!button->isChecked()) {
            button->click();
        }
    }
}

bool SegmentedControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int step = key == Qt::Key_Right || key == Qt::Key_Down ? 1
                     : key == Qt::Key_Left || key == Qt::Key_Up  ? -1
                                                                 : 0;
    if (step == 0) {
        return QWidget::eventFilter(watched, event);
    }
    const int current = watched->property(kSegmentProperty).toInt();
    const int forward =
        layoutDirection() == Qt::RightToLeft && (key == Qt::Key_Left || key == Qt::Key_Right)
            ? -step
            : step;
    choose(std::clamp(current + forward, 0, segmentCount() - 1));
    return true;
}

QString SegmentedControl::label(int segment) const {
    const auto* button = group_.button(segment);
    return button ? button->text() : QString();
}

}  // namespace quintrel
