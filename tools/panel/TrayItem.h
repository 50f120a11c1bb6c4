#pragma once
// One StatusNotifierItem as the panel sees it: its label, tooltip and icon, kept current.

#include <QDBusConnection>
#include <QImage>
#include <QObject>
#include <QString>
#include <vector>

namespace panel {

struct ItemState {
    QString label;
    QString tooltipTitle;
    QString tooltipBody;
    QString status;
    QString menuPath;           // the item's com.canonical.dbusmenu object, or empty
    std::vector<QImage> icons;  // every size the item offers

    // The pixmap closest to `size` pixels high, preferring a larger one; null when none.
    QImage iconFor(int size) const;
    QSize largestIcon() const;
};

struct MenuEntry {
    int id = 0;
    QString label;
    bool separator = false;
};

// Decodes the a(iiay) pixmaps of the item protocol (ARGB32, network byte order).
std::vector<QImage> decodePixmaps(const QVariant& value);

class TrayItem : public QObject {
    Q_OBJECT
public:
    TrayItem(QDBusConnection bus, QString key, QString service, QString path,
             QObject* parent = nullptr);

    const QString& key() const { return key_; }
    const ItemState& state() const { return state_; }

    void refresh();
    // "Activate", "ContextMenu" or "SecondaryActivate" at screen position (x, y).
    void call(const QString& method, int x, int y);
    // Reads the item's menu (GetLayout); answers with menuRead.
    void readMenu();
    // Sends the menu entry `id` a "clicked" event, as a host does when it is chosen.
    void clickMenu(int id);

signals:
    void changed();
    void callFinished(const QString& method, const QString& error);
    // The top level of the item's menu; `error` is the D-Bus error's name, "none" when
    // the item has no menu, or empty.
    void menuRead(const std::vector<panel::MenuEntry>& entries, const QString& error);

private slots:
    void propertiesChanged();

private:
    QDBusConnection bus_;
    QString key_;
    QString service_;
    QString path_;
    ItemState state_;
};

}  // namespace panel
