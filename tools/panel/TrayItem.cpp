// Reading an item's properties over D-Bus and forwarding clicks to it.

#include "TrayItem.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace panel {
namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

QImage toImage(int width, int height, const QByteArray& data) {
    if (width <= 0 || height <= 0 || width > 1024 || height > 1024 ||
        data.size() != qsizetype(width) * height * 4) {
        return {};
    }
    QImage image(width, height, QImage::Format_ARGB32);
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, bytes += 4) {
            line[x] = (QRgb(bytes[0]) << 24) | (QRgb(bytes[1]) << 16) | (QRgb(bytes[2]) << 8) |
                      QRgb(bytes[3]);
        }
    }
    return image;
}

std::vector<QImage> readPixmapArray(const QDBusArgument& arg) {
    std::vector<QImage> images;
    arg.beginArray();
    while (!arg.atEnd()) {
        int width = 0, height = 0;
        QByteArray data;
        arg.beginStructure();
        arg >> width >> height >> data;
        arg.endStructure();
        if (auto image = toImage(width, height, data); !image.isNull()) {
            images.push_back(std::move(image));
        }
    }
    arg.endArray();
    return images;
}

// The children of a GetLayout reply's root, (ia{sv}av).
std::vector<MenuEntry> topLevel(const QDBusArgument& layout) {
    std::vector<MenuEntry> entries;
    int rootId = 0;
    QVariantMap rootProperties;
    layout.beginStructure();
    layout >> rootId >> rootProperties;
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const auto arg = child.variant().value<QDBusArgument>();
        int id = 0;
        QVariantMap properties;
        arg.beginStructure();
        arg >> id >> properties;
        arg.endStructure();
        entries.push_back(
            {id, properties.value(QStringLiteral("label")).toString(),
             properties.value(QStringLiteral("type")).toString() == QStringLiteral("separator")});
    }
    layout.endArray();
    layout.endStructure();
    return entries;
}

}  // namespace

std::vector<QImage> decodePixmaps(const QVariant& value) {
    if (!value.canConvert<QDBusArgument>()) {
        return {};
    }
    return readPixmapArray(value.value<QDBusArgument>());
}

QImage ItemState::iconFor(int size) const {
    const QImage* best = nullptr;
    for (const auto& icon : icons) {
        const bool better = !best || (best->height() < size && icon.height() > best->height()) ||
                            (icon.height() >= size && icon.height() < best->height());
        if (better) {
            best = &icon;
        }
    }
    return best ? *best : QImage{};
}

QSize ItemState::largestIcon() const {
    QSize largest;
    for (const auto& icon : icons) {
        if (icon.width() * icon.height() > largest.width() * largest.height()) {
            largest = icon.size();
        }
    }
    return largest;
}

TrayItem::TrayItem(QDBusConnection bus, QString key, QString service, QString path, QObject* parent)
    : QObject(parent),
      bus_(bus),
      key_(std::move(key)),
      service_(std::move(service)),
      path_(std::move(path)) {
    for (const auto* signal :
         {"NewTitle", "NewIcon", "NewToolTip", "NewStatus", "NewAttentionIcon", "NewOverlayIcon"}) {
        bus_.connect(service_, path_, kItemInterface, QString::fromLatin1(signal), this,
                     SLOT(propertiesChanged()));
    }
    bus_.connect(service_, path_, kItemInterface, QStringLiteral("XAyatanaNewLabel"), this,
                 SLOT(propertiesChanged()));
}

void TrayItem::propertiesChanged() {
    refresh();
}

void TrayItem::refresh() {
    auto message = QDBusMessage::createMethodCall(service_, path_,
                                                  QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("GetAll"));
    message << kItemInterface;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QVariantMap> reply = *w;
        if (reply.isError()) {
            return;
        }
        const auto properties = reply.value();
        ItemState next;
        next.label = properties.value(QStringLiteral("XAyatanaLabel")).toString();
        next.status = properties.value(QStringLiteral("Status")).toString();
        next.menuPath = properties.value(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
        next.icons = decodePixmaps(properties.value(QStringLiteral("IconPixmap")));
        const auto tooltip = properties.value(QStringLiteral("ToolTip"));
        if (tooltip.canConvert<QDBusArgument>()) {
            const auto arg = tooltip.value<QDBusArgument>();
            QString iconName;
            arg.beginStructure();
            arg >> iconName;
            readPixmapArray(arg);
            arg >> next.tooltipTitle >> next.tooltipBody;
            arg.endStructure();
        }
        state_ = std::move(next);
        emit changed();
    });
}

void TrayItem::call(const QString& method, int x, int y) {
    auto message = QDBusMessage::createMethodCall(service_, path_, kItemInterface, method);
    message << x << y;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                emit callFinished(method, w->isError() ? w->error().name() : QString());
            });
}

void TrayItem::readMenu() {
    if (state_.menuPath.isEmpty() || state_.menuPath == QStringLiteral("/")) {
        emit menuRead({}, QStringLiteral("none"));
        return;
    }
    auto message =
        QDBusMessage::createMethodCall(service_, state_.menuPath, kMenuInterface, "GetLayout");
    message << 0 << -1 << QStringList();
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
            emit menuRead({}, w->isError() ? w->error().name() : QStringLiteral("bad-reply"));
            return;
        }
        emit menuRead(topLevel(reply.arguments().at(1).value<QDBusArgument>()), {});
    });
}

void TrayItem::clickMenu(int id) {
    auto message =
        QDBusMessage::createMethodCall(service_, state_.menuPath, kMenuInterface, "Event");
    message << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(QString()))
            << 0u;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        emit callFinished(QStringLiteral("Event"), w->isError() ? w->error().name() : QString());
    });
}

}  // namespace panel
