#include "platform/InstanceLock.h"

#include <QDir>
#include <QLockFile>

#include <map>
#include <memory>
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
    // Never released: the lock goes with the process. It is kept by its
    // file, so a process asked about another lock file (tests) asks afresh.
    static std::map<QString, std::unique_ptr<QLockFile>> held;
    const QString path = lockPath();
    if (held.count(path))
        return true;
    auto lock = std::make_unique<QLockFile>(path);
    // Only a holder that no longer runs makes a lock stale, however old it is.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        held.emplace(path, std::move(lock));
        return true;
    }
    return lock->error() != QLockFile::LockFailedError;
}

} // namespace mj::InstanceLock
