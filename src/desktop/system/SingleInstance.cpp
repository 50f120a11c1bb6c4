#include "desktop/system/SingleInstance.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QStandardPaths>

namespace quintrel {

bool SingleInstance::acquire() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        const auto reply = bus.interface()->registerService(
            QString::fromLatin1(kBusName), QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
        return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
    }
    QString directory = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (directory.isEmpty()) {
        directory = QDir::tempPath();
    }
    lockFile_ = std::make_unique<QLockFile>(
        directory + QStringLiteral("/quintrel-companion-%1.lock").arg(::getuid()));
    // A lock left by a process that died is taken over.
    lockFile_->setStaleLockTime(0);
    return lockFile_->tryLock(0);
}

}  // namespace quintrel
