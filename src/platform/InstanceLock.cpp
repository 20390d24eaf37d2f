#include "platform/InstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace mj::InstanceLock {

namespace {

QString lockPath()
{
    const QString overridden = qEnvironmentVariable("MJ_INSTANCE_LOCK");
    if (!overridden.isEmpty())
        return overridden;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/mjtable.lock");
}

} // namespace

bool AcquireSingleInstance()
{
    // Never released: the lock goes with the process.
    static QLockFile* held = nullptr;
    if (held)
        return true;
    auto* lock = new QLockFile(lockPath());
    // Only a holder that no longer runs makes a lock stale, however old it is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        held = lock;
        return true;
    }
    const bool otherInstance = lock->error() == QLockFile::LockFailedError;
    delete lock;
    return !otherInstance;
}

} // namespace mj::InstanceLock
