#include "desktop/tray/DBusMenu.h"

#include <QGuiApplication>
#include <QTimer>

#include "dbusmenuadaptor.h"

namespace quintrel {

namespace {

// dbusmenu labels mark a mnemonic with an underscore; ours have none.
QString menuLabel(const std::string& label) {
    return QString::fromStdString(label).replace(u'_', QStringLiteral("__"));
}

}  // namespace

DBusMenu::DBusMenu(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {
    dbusmenu::registerTypes();
    new DBusMenuAdaptor(this);  // owned by this object
    exported_ = bus_.registerObject(QString::fromLatin1(kObjectPath), this,
                                    QDBusConnection::ExportAdaptors);
}

DBusMenu::~DBusMenu() {
    if (exported_) {
        bus_.unregisterObject(QString::fromLatin1(kObjectPath));
    }
}

void DBusMenu::setEntries(std::vector<StatusMenuEntry> entries) {
    entries_ = std::move(entries);
    emit LayoutUpdated(++revision_, 0);
}

QString DBusMenu::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

QVariantMap DBusMenu::properties(int id, const QStringList& names) const {
    QVariantMap all;
    if (id == 0) {
        all.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    } else if (knows(id)) {
        const StatusMenuEntry& entry = entries_[static_cast<std::size_t>(id - 1)];
        if (entry.label.empty()) {
            all.insert(QStringLiteral("type"), QStringLiteral("separator"));
        } else {
            all.insert(QStringLiteral("label"), menuLabel(entry.label));
            all.insert(QStringLiteral("enabled"), static_cast<bool>(entry.action));
        }
        all.insert(QStringLiteral("visible"), true);
    }
    if (names.isEmpty()) {
        return all;
    }
    QVariantMap asked;
    for (const QString& name : names) {
        if (const auto it = all.constFind(name); it != all.constEnd()) {
            asked.insert(name, it.value());
        }
    }
    return asked;
}

void DBusMenu::refuse(const QString& message) {
    if (calledFromDBus()) {
        sendErrorReply(QDBusError::InvalidArgs, message);
    }
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                         dbusmenu::LayoutItem& layout) {
    if (!knows(parentId)) {
        refuse(QStringLiteral("No menu item %1").arg(parentId));
        return revision_;
    }
    layout = {parentId, properties(parentId, propertyNames), {}};
    if (parentId == 0 && recursionDepth != 0) {
        for (int id = 1; id <= static_cast<int>(entries_.size()); ++id) {
            layout.children.append({id, properties(id, propertyNames), {}});
        }
    }
    return revision_;
}

dbusmenu::ItemPropertiesList DBusMenu::GetGroupProperties(const QList<int>& ids,
                                                          const QStringList& propertyNames) {
    dbusmenu::ItemPropertiesList list;
    for (const int id : ids) {
        if (knows(id)) {
            list.append({id, properties(id, propertyNames)});
        }
    }
    return list;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name) {
    const QVariantMap found = properties(id, {name});
    if (!found.contains(name)) {
        refuse(QStringLiteral("Menu item %1 has no property %2").arg(id).arg(name));
        return QDBusVariant(QString());
    }
    return QDBusVariant(found.value(name));
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (!knows(id)) {
        refuse(QStringLiteral("No menu item %1").arg(id));
    } else if (eventId == QLatin1String("clicked")) {
        activate(id);
    }
}

QList<int> DBusMenu::EventGroup(const dbusmenu::EventList& events) {
    QList<int> idErrors;
    for (const auto& event : events) {
        if (knows(event.id)) {
            Event(event.id, event.eventId, event.data, event.timestamp);
        } else {
            idErrors.append(event.id);
        }
    }
    // The menu protocol: an error only when none of the ids is known.
    if (!events.isEmpty() && idErrors.size() == events.size()) {
        refuse(QStringLiteral("No menu item among %1 events").arg(events.size()));
    }
    return idErrors;
}

bool DBusMenu::AboutToShow(int) {
    return false;
}

QList<int> DBusMenu::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    idErrors.clear();
    for (const int id : ids) {
        if (!knows(id)) {
            idErrors.append(id);
        }
    }
    return {};
}

void DBusMenu::activate(int id) {
    if (id <= 0 || !knows(id)) {
        return;
    }
    const auto action = entries_[static_cast<std::size_t>(id - 1)].action;
    if (action) {
        QTimer::singleShot(0, this, action);
    }
}

}  // namespace quintrel
