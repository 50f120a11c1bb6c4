#pragma once
// Which program owns a bus name: the bus tells the owner's process id, /proc its name.

#include <functional>

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace quintrel {

// Asks without blocking for the name (/proc/<pid>/comm) of the process that owns
// `service` on `bus`. `done` gets the empty text when the bus or /proc cannot say; it is
// not called once `context` is gone.
void askOwnerProcessName(QDBusConnection bus, const QString& service, QObject* context,
                         std::function<void(const QString& name)> done);

}  // namespace quintrel
