#include "desktop/system/SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>

#include "desktop/system/PrivateFolders.h"

namespace quintrel {

namespace {

// Why `path` is no folder that only this user can write, or empty.
std::string notPrivateFolder(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return path.toStdString() + ": " + std::strerror(errno);
    }
    if (!S_ISDIR(info.st_mode)) {
        return path.toStdString() + " is not a folder";
    }
    if (info.st_uid != ::getuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return path.toStdString() + " can be written by other users";
    }
    return {};
}

// Why the lock file at `path` cannot be ours, or empty (also when there is none yet).
std::string foreignLockFile(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return errno == ENOENT ? std::string() : path.toStdString() + ": " + std::strerror(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return "The lock file " + path.toStdString() + " is not a regular file";
    }
    if (info.st_uid != ::getuid()) {
        return "The lock file " + path.toStdString() + " belongs to another user";
    }
    return {};
}

}  // namespace

QString SingleInstance::lockDirectory() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && notPrivateFolder(runtime).empty()) {
        return runtime;
    }
    // Not the shared temporary folder: anyone could create the lock there first.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || QDir::isRelativePath(cache)) {
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    const QString folder = cache + QStringLiteral("/quintrel-companion");
    makePrivateFolders(QFile::encodeName(folder).toStdString());
    problem_ = notPrivateFolder(folder);
    return problem_.empty() ? folder : QString();
}

SingleInstance::Outcome SingleInstance::acquire() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        const auto reply = bus.interface()->registerService(
            QString::fromLatin1(kBusName), QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
        return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered
                   ? Outcome::acquired
                   : Outcome::alreadyRunning;
    }
    const QString directory = lockDirectory();
    if (directory.isEmpty()) {
        problem_ = "Cannot make sure only one Quintrel Companion runs: " + problem_;
        return Outcome::failed;
    }
    const QString path = directory + QStringLiteral("/quintrel-companion-%1.lock").arg(::getuid());
    problem_ = foreignLockFile(path);
    if (!problem_.empty()) {
        problem_ = "Cannot make sure only one Quintrel Companion runs: " + problem_;
        return Outcome::failed;
    }
    lockFile_ = std::make_unique<QLockFile>(path);
    // A lock left by a process that died is taken over.
    lockFile_->setStaleLockTime(0);
    if (lockFile_->tryLock(0)) {
        return Outcome::acquired;
    }
    if (lockFile_->error() == QLockFile::LockFailedError) {
        return Outcome::alreadyRunning;
    }
    problem_ = "Cannot make sure only one Quintrel Companion runs: cannot write the lock file " +
               path.toStdString();
    return Outcome::failed;
}

}  // namespace quintrel
