#pragma once
// Our StatusNotifierItem on the session bus: the title as text label and tool tip, an
// icon that either carries the title or is the app's symbolic icon, the menu object, and
// clicks reported as activations. Registering with a watcher is left to the owner.

#include <optional>

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QPoint>

#include "desktop/tray/SniTypes.h"
#include "desktop/tray/SymbolicIcon.h"
#include "desktop/tray/TrayText.h"

namespace quintrel {

class DBusMenu;

class StatusNotifierItem : public QObject {
    Q_OBJECT
    // org.kde.StatusNotifierItem, read by the generated adaptor.
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(QDBusObjectPath Menu READ menuPath)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(quintrel::sni::PixmapList IconPixmap READ iconPixmaps)
    Q_PROPERTY(QString IconAccessibleDesc READ accessibleDescription)
    Q_PROPERTY(QString OverlayIconName READ noText)
    Q_PROPERTY(quintrel::sni::PixmapList OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ noText)
    Q_PROPERTY(quintrel::sni::PixmapList AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionAccessibleDesc READ accessibleDescription)
    Q_PROPERTY(QString AttentionMovieName READ noText)
    Q_PROPERTY(quintrel::sni::ToolTip ToolTip READ toolTip)
    Q_PROPERTY(QString XAyatanaLabel READ title)
    Q_PROPERTY(QString XAyatanaLabelGuide READ title)

public:
    static constexpr const char* kObjectPath = "/StatusNotifierItem";

    explicit StatusNotifierItem(QDBusConnection bus, QObject* parent = nullptr);
    ~StatusNotifierItem() override;

    // The bus name a watcher is given; empty when the object could not be exported.
    QString serviceName() const { return serviceName_; }
    DBusMenu* menu() const { return menu_; }

    QString title() const { return title_; }
    // `count` is the number the title shows, if any: the icon may paint it shortened.
    void setTitle(const QString& title, std::optional<std::uint64_t> count);
    // The icon as the watcher's panel draws it: the title painted square or wide for hosts
    // that show no label, the app's symbolic icon for hosts that draw the label beside it.
    traytext::HostDrawing hostDrawing() const { return hostDrawing_; }
    bool iconShowsTitle() const { return hostDrawing_ != traytext::HostDrawing::label; }
    void setHostDrawing(traytext::HostDrawing drawing);

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("quintrel-companion"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString noText() const { return {}; }
    // The symbolic icon by name too, where it stands beside the host's label.
    QString iconName() const;
    QString iconThemePath() const { return symbolicicon::themePath(); }
    QDBusObjectPath menuPath() const;
    bool itemIsMenu() const { return false; }
    sni::PixmapList iconPixmaps() const { return pixmaps_; }
    sni::PixmapList noPixmaps() const { return {}; }
    QString accessibleDescription() const { return QStringLiteral("Quintrel Companion"); }
    sni::ToolTip toolTip() const;

    // org.kde.StatusNotifierItem's methods, called by the generated adaptor. Every button
    // activates: hosts call ContextMenu only when they do not draw the menu themselves.
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

signals:
    // A click of any button; the position is in global coordinates when the host sent one.
    void activated(std::optional<QPoint> position);

    // Relayed to the bus by the adaptor.
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void XAyatanaNewLabel(const QString& label, const QString& guide);
    void NewXAyatanaLabel(const QString& label, const QString& guide);

private:
    void activate(int x, int y);
    void paintIcon();

    QDBusConnection bus_;
    QString serviceName_;
    DBusMenu* menu_ = nullptr;  // child of this
    QString title_;
    std::optional<std::uint64_t> count_;
    traytext::HostDrawing hostDrawing_ = traytext::HostDrawing::squareIcon;
    sni::PixmapList pixmaps_;
};

}  // namespace quintrel
