#pragma once
// A small frameless strip at the top right of the screen that draws the tray items.

#include <QPointer>
#include <QWidget>
#include <vector>

#include "TrayItem.h"

namespace panel {

class PanelWindow : public QWidget {
    Q_OBJECT
public:
    explicit PanelWindow(QWidget* parent = nullptr);

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

    std::vector<Slot> slots_;
};

}  // namespace panel
