#include "desktop/tray/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>

#include "desktop/tray/StatusNotifierItemAdaptor.h"
#include "desktop/tray/TitleIcon.h"

namespace quintrel {

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    sni::registerTypes();
    setTitle({});
    new StatusNotifierItemAdaptor(this);  // owned by this object
    if (!bus_.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) {
        return;
    }
    // A well-known name per item, as KDE's watcher expects; hosts that look items up by
    // the connection's unique name reach the same object.
    static int counter = 0;
    const QString wellKnown = QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(++counter);
    serviceName_ = bus_.registerService(wellKnown) ? wellKnown : bus_.baseService();
}

StatusNotifierItem::~StatusNotifierItem() {
    bus_.unregisterObject(kObjectPath);
    if (serviceName_.startsWith(QLatin1String("org.kde."))) {
        bus_.unregisterService(serviceName_);
    }
}

void StatusNotifierItem::setTitle(const QString& title) {
    title_ = title;
    pixmaps_.clear();
    for (const int height : titleicon::kSizes) {
        pixmaps_.append(sni::pixmapOf(titleicon::wide(title, height)));
    }
    emit titleChanged();
}

sni::ToolTip StatusNotifierItem::toolTip() const {
    return sni::ToolTip{{}, {}, title_, {}};
}

void StatusNotifierItem::activate(int x, int y) {
    // Hosts that do not know where the item is send (0, 0).
    emit activated(x == 0 && y == 0 ? std::nullopt : std::optional<QPoint>(QPoint(x, y)));
}

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item), item_(item) {
    setAutoRelaySignals(false);
    connect(item, &StatusNotifierItem::titleChanged, this,
            &StatusNotifierItemAdaptor::announceTitle);
}

QString StatusNotifierItemAdaptor::title() const {
    return item_->title();
}
sni::PixmapList StatusNotifierItemAdaptor::iconPixmap() const {
    return item_->iconPixmaps();
}
sni::ToolTip StatusNotifierItemAdaptor::toolTip() const {
    return item_->toolTip();
}

void StatusNotifierItemAdaptor::Activate(int x, int y) {
    item_->activate(x, y);
}
void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y) {
    item_->activate(x, y);
}
void StatusNotifierItemAdaptor::ContextMenu(int x, int y) {
    item_->activate(x, y);
}
void StatusNotifierItemAdaptor::Scroll(int, const QString&) {}

void StatusNotifierItemAdaptor::announceTitle() {
    const QString label = item_->title();
    emit NewTitle();
    emit NewIcon();
    emit NewToolTip();
    // libappindicator's name for the label signal, and the alias some hosts listen for.
    emit XAyatanaNewLabel(label, label);
    emit NewXAyatanaLabel(label, label);
}

}  // namespace quintrel
