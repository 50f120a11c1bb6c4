#pragma once
// A small frameless strip at the top right of the screen that draws the tray items: each
// icon in a square slot, as Plasma's and XFCE's trays do, or also the item's label beside
// it, as GNOME's AppIndicator extension does.

#include <QPointer>
#include <QWidget>
#include <vector>

#include "TrayItem.h"

namespace panel {

class PanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit PanelWindow(bool drawsLabels, QWidget* parent = nullptr);

    void addItem(TrayItem* item);
    void removeItem(const QString& key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Slot {
        QPointer<TrayItem> item;
        QRect area;
    };
    void relayout();

    bool drawsLabels_;
    std::vector<Slot> slots_;
};

}  // namespace panel
