#include "desktop/tray/StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>

#include "desktop/tray/DBusMenu.h"
#include "desktop/tray/SymbolicIcon.h"
#include "desktop/tray/TitleIcon.h"
#include "statusnotifieritemadaptor.h"

namespace quintrel {

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    sni::registerTypes();
    paintIcon();
    menu_ = new DBusMenu(bus_, this);
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

void StatusNotifierItem::setTitle(const QString& title, std::optional<std::uint64_t> count) {
    if (title == title_ && count == count_) {
        return;
    }
    title_ = title;
    count_ = count;
    if (iconShowsTitle()) {
        paintIcon();
        emit NewIcon();
    }
    emit NewTitle();
    emit NewToolTip();
    // libappindicator's name for the label signal, and the alias some hosts listen for.
    emit XAyatanaNewLabel(title_, title_);
    emit NewXAyatanaLabel(title_, title_);
}

QString StatusNotifierItem::iconName() const {
    return iconShowsTitle() ? QString() : QString::fromLatin1(symbolicicon::kName);
}

void StatusNotifierItem::setHostDrawing(traytext::HostDrawing drawing) {
    if (drawing == hostDrawing_) {
        return;
    }
    hostDrawing_ = drawing;
    paintIcon();
    emit NewIcon();
}

void StatusNotifierItem::paintIcon() {
    using traytext::HostDrawing;
    pixmaps_.clear();
    for (const int size : titleicon::kSizes) {
        QImage image = hostDrawing_ == HostDrawing::label ? symbolicicon::image(size) : QImage();
        if (image.isNull()) {
            image = hostDrawing_ == HostDrawing::wideIcon ? titleicon::wide(title_, count_, size)
                                                          : titleicon::square(title_, count_, size);
        }
        pixmaps_.append(sni::pixmapOf(image));
    }
}

QDBusObjectPath StatusNotifierItem::menuPath() const {
    return QDBusObjectPath(menu_->isExported() ? QString::fromLatin1(DBusMenu::kObjectPath)
                                               : QStringLiteral("/"));
}

sni::ToolTip StatusNotifierItem::toolTip() const {
    return sni::ToolTip{{}, {}, title_, {}};
}

void StatusNotifierItem::Activate(int x, int y) {
    activate(x, y);
}
void StatusNotifierItem::SecondaryActivate(int x, int y) {
    activate(x, y);
}
void StatusNotifierItem::ContextMenu(int x, int y) {
    activate(x, y);
}
void StatusNotifierItem::Scroll(int, const QString&) {}

void StatusNotifierItem::activate(int x, int y) {
    // Hosts that do not know where the item is send (0, 0).
    emit activated(x == 0 && y == 0 ? std::nullopt : std::optional<QPoint>(QPoint(x, y)));
}

}  // namespace quintrel
