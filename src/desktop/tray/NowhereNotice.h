#pragma once
// The desktop notification that the tray item has nowhere to show: said once, with an
// action that opens the popup instead.

#include <functional>

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace quintrel {

class NowhereNotice : public QObject {
    Q_OBJECT

public:
    NowhereNotice(QDBusConnection bus, std::function<void()> showOverview,
                  QObject* parent = nullptr);

    // Sends the notification, the first time only.
    void show();

private slots:
    void actionInvoked(uint id, const QString& action);

private:
    QDBusConnection bus_;
    std::function<void()> showOverview_;
    bool sent_ = false;
    uint id_ = 0;  // the server's number for it, once it answered
};

}  // namespace quintrel
