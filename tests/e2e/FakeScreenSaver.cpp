// The fake screen saver's registration and signals.

#include "FakeScreenSaver.h"

#include <QDBusMessage>

namespace quintrel::e2e {

FakeScreenSaver::FakeScreenSaver(QDBusConnection bus) : bus_(bus) {
    registered_ = bus_.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), this,
                                      QDBusConnection::ExportScriptableContents) &&
                  bus_.registerObject(QStringLiteral("/ScreenSaver"), this,
                                      QDBusConnection::ExportScriptableContents) &&
                  bus_.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
}

void FakeScreenSaver::setActive(bool active) {
    active_ = active;
    // One signal is enough for a listener on any path; the freedesktop path is the one
    // every desktop uses.
    auto signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                             QStringLiteral("org.freedesktop.ScreenSaver"),
                                             QStringLiteral("ActiveChanged"));
    signal << active;
    bus_.send(signal);
}

}  // namespace quintrel::e2e
