#pragma once
// The D-Bus structures of a com.canonical.dbusmenu object: the recursive layout
// (ia{sv}av), item properties a(ia{sv}), removed property names a(ias) and events a(isvu).

#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace quintrel::dbusmenu {

struct LayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<LayoutItem> children;  // each sent as a variant holding a LayoutItem
};

struct ItemProperties {
    int id = 0;
    QVariantMap properties;
};
using ItemPropertiesList = QList<ItemProperties>;

struct ItemKeys {
    int id = 0;
    QStringList names;
};
using ItemKeysList = QList<ItemKeys>;

struct Event {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using EventList = QList<Event>;

// Makes the types known to QtDBus; call once before exporting a menu.
void registerTypes();

}  // namespace quintrel::dbusmenu

QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::dbusmenu::LayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                quintrel::dbusmenu::LayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::dbusmenu::ItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument,
                                quintrel::dbusmenu::ItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::dbusmenu::ItemKeys& keys);
const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::dbusmenu::ItemKeys& keys);
QDBusArgument& operator<<(QDBusArgument& argument, const quintrel::dbusmenu::Event& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, quintrel::dbusmenu::Event& event);

Q_DECLARE_METATYPE(quintrel::dbusmenu::LayoutItem)
Q_DECLARE_METATYPE(quintrel::dbusmenu::ItemProperties)
Q_DECLARE_METATYPE(quintrel::dbusmenu::ItemKeys)
Q_DECLARE_METATYPE(quintrel::dbusmenu::Event)
