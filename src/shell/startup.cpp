#include "shell/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace verselet {

using namespace Qt::StringLiterals;

QString CacheFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/verselet"_s;
}

QString DefaultTempRoot()
{
    return CacheFolder() + u"/temp"_s;
}

bool EnsureTempRoot(const WorkFolder& work)
{
    const QString& tempRoot = work.tempRoot();
    QDir().mkpath(tempRoot);
    if (!QFileInfo(tempRoot).isDir())
        return false;
    QFile::setPermissions(tempRoot,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

InstanceLock::InstanceLock(const QString& cacheFolder) : m_path(cacheFolder + u"/verselet.lock"_s)
{
}

InstanceLock::Outcome InstanceLock::tryLock()
{
    QDir().mkpath(QFileInfo(m_path).path());
    m_lock = std::make_unique<QLockFile>(m_path);
    // Age alone never makes the lock stale: only a lock whose process is gone.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Outcome::Locked;
    // Only a lock that is there and alive means another copy; a lock that
    // cannot be made at all is not one.
    return m_lock->error() == QLockFile::LockFailedError ? Outcome::HeldByAnother
                                                         : Outcome::Unavailable;
}

} // namespace verselet
