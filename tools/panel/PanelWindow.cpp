// Drawing the items (icon, then label where asked) and turning clicks into item calls.

#include "PanelWindow.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace panel {
namespace {

constexpr int kHeight = 32;
constexpr int kIconSize = 22;
constexpr int kPadding = 6;

}  // namespace

PanelWindow::PanelWindow(bool drawsLabels, QWidget* parent)
    : QWidget(parent,
              Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint),
      drawsLabels_(drawsLabels) {
    setWindowTitle(QStringLiteral("quintrel-panel"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    QFont f = font();
    f.setPixelSize(15);
    setFont(f);
    relayout();
}

void PanelWindow::addItem(TrayItem* item) {
    for (const auto& slot : slots_) {
        if (slot.item == item) {
            return;
        }
    }
    slots_.push_back({item, {}});
    connect(item, &TrayItem::changed, this, &PanelWindow::relayout);
    relayout();
}

void PanelWindow::removeItem(const QString& key) {
    std::erase_if(slots_, [&](const Slot& s) { return !s.item || s.item->key() == key; });
    relayout();
}

void PanelWindow::relayout() {
    const QFontMetrics metrics(font());
    int x = kPadding;
    for (auto& slot : slots_) {
        if (!slot.item) {
            continue;
        }
        const auto& state = slot.item->state();
        int width = state.icons.empty() ? 0 : kIconSize;
        if (drawsLabels_ && !state.label.isEmpty()) {
            width += (width ? 4 : 0) + metrics.horizontalAdvance(state.label);
        }
        slot.area = QRect(x, 0, std::max(width, kIconSize), kHeight);
        x += slot.area.width() + kPadding;
    }
    const int width = std::max(x, 80);
    const auto screen = QGuiApplication::primaryScreen()->geometry();
    setGeometry(screen.right() - width + 1, screen.top(), width, kHeight);
    update();
}

void PanelWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0x2b, 0x2b, 0x2b));
    painter.setPen(Qt::white);
    for (const auto& slot : slots_) {
        if (!slot.item) {
            continue;
        }
        const auto& state = slot.item->state();
        int x = slot.area.left();
        if (const auto icon = state.iconFor(kIconSize); !icon.isNull()) {
            const QRect target(x, (kHeight - kIconSize) / 2, kIconSize, kIconSize);
            painter.drawImage(target, icon.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio,
                                                  Qt::SmoothTransformation));
            x += kIconSize + 4;
        }
        if (drawsLabels_) {
            painter.drawText(QRect(x, 0, slot.area.right() - x + 1, kHeight),
                             Qt::AlignVCenter | Qt::AlignLeft, state.label);
        }
    }
}

void PanelWindow::mouseReleaseEvent(QMouseEvent* event) {
    for (const auto& slot : slots_) {
        if (slot.item && slot.area.contains(event->position().toPoint())) {
            const auto global = event->globalPosition().toPoint();
            const auto method = event->button() == Qt::RightButton    ? "ContextMenu"
                                : event->button() == Qt::MiddleButton ? "SecondaryActivate"
                                                                      : "Activate";
            slot.item->call(QString::fromLatin1(method), global.x(), global.y());
            return;
        }
    }
}

}  // namespace panel
