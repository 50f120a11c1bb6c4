#pragma once
// The tray item's menu as a com.canonical.dbusmenu object, for panels that draw the menu
// themselves (GNOME's AppIndicator extension, Plasma, XFCE, waybar). The entries form one
// flat level under the root item 0; entry i has the id i + 1.

#include <vector>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QObject>

#include "platform/StatusBar.h"
#include "desktop/tray/DBusMenuTypes.h"

namespace quintrel {

class DBusMenu : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

public:
    static constexpr const char* kObjectPath = "/MenuBar";

    // Exports the menu at kObjectPath on `bus`; check isExported().
    explicit DBusMenu(QDBusConnection bus, QObject* parent = nullptr);
    ~DBusMenu() override;

    bool isExported() const { return exported_; }
    void setEntries(std::vector<StatusMenuEntry> entries);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    // com.canonical.dbusmenu, called by the generated adaptor.
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   dbusmenu::LayoutItem& layout);
    dbusmenu::ItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                    const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const dbusmenu::EventList& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

signals:
    void ItemsPropertiesUpdated(const dbusmenu::ItemPropertiesList& updatedProps,
                                const dbusmenu::ItemKeysList& removedProps);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    bool knows(int id) const { return id >= 0 && id <= static_cast<int>(entries_.size()); }
    QVariantMap properties(int id, const QStringList& names) const;
    // Answers the caller with an error instead of the reply.
    void refuse(const QString& message);
    // Runs the entry's action from the event loop, after the host has its reply.
    void activate(int id);

    QDBusConnection bus_;
    bool exported_ = false;
    std::vector<StatusMenuEntry> entries_;
    uint revision_ = 1;
};

}  // namespace quintrel
