#pragma once
// Our StatusNotifierItem on the session bus: the title as text label, painted icon and
// tool tip, and clicks reported as activations. Registering with a watcher is left to
// the owner.

#include <optional>

#include <QDBusConnection>
#include <QObject>
#include <QPoint>

#include "desktop/tray/SniTypes.h"

namespace quintrel {

class StatusNotifierItem : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kObjectPath = "/StatusNotifierItem";

    explicit StatusNotifierItem(QDBusConnection bus, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // The bus name a watcher is given; empty when the object could not be exported.
    QString serviceName() const { return serviceName_; }

    QString title() const { return title_; }
    void setTitle(const QString& title);

    sni::PixmapList iconPixmaps() const { return pixmaps_; }
    sni::ToolTip toolTip() const;

    // Called by the adaptor for Activate, SecondaryActivate and ContextMenu.
    void activate(int x, int y);

signals:
    // A click of any button; the position is in global coordinates when the host sent one.
    void activated(std::optional<QPoint> position);
    void titleChanged();

private:
    QDBusConnection bus_;
    QString serviceName_;
    QString title_;
    sni::PixmapList pixmaps_;
};

}  // namespace quintrel
