#include "desktop/tray/DBusMenuTypes.h"

#include <QDBusMetaType>

namespace quintrel::dbusmenu {

void registerTypes() {
    qDBusRegisterMetaType<LayoutItem>();
    qDBusRegisterMetaType<ItemProperties>();
    qDBusRegisterMetaType<ItemPropertiesList>();
    qDBusRegisterMetaType<ItemKeys>();
    qDBusRegisterMetaType<ItemKeysList>();
    qDBusRegisterMetaType<Event>();
    qDBusRegisterMetaType<EventList>();
    // QtDBus matches a call to a slot by the parameters' spelled type names: the list
    // aliases must be known by name too.
    qRegisterMetaType<ItemPropertiesList>("quintrel::dbusmenu::ItemPropertiesList");
    qRegisterMetaType<ItemKeysList>("quintrel::dbusmenu::ItemKeysList");
    qRegisterMetaType<EventList>("quintrel::dbusmenu::EventList");
}

}  // namespace quintrel::dbusmenu

using quintrel::dbusmenu::LayoutItem;

QDBusArgument& operator<<(QDBusArgument& argument, const LayoutItem& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const LayoutItem& child : item.children) {
        argument << QDBusVariant(QVariant::fromValue(child));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, LayoutItem& item) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    item.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        LayoutItem decoded;
        const QVariant value = child.variant();
        if (value.canConvert<QDBusArgument>()) {
            value.value<QDBusArgument>() >> decoded;
        } else {
            decoded = value.value<LayoutItem>();
        }
        item.children.append(decoded);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::dbusmenu::ItemProperties& item) {
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument,
                                quintrel::dbusmenu::ItemProperties& item) {
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::dbusmenu::ItemKeys& keys) {
    argument.beginStructure();
    argument << keys.id << keys.names;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::dbusmenu::ItemKeys& keys) {
    argument.beginStructure();
    argument >> keys.id >> keys.names;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::dbusmenu::Event& event) {
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::dbusmenu::Event& event) {
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}
