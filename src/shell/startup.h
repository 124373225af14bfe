#pragma once

// Where a run keeps its things, and the single-instance rule.

#include "workfiles/workfiles.h"

#include <QLockFile>
#include <QString>

#include <memory>

namespace verselet {

// $XDG_CACHE_HOME/verselet (~/.cache/verselet): the lock file and TempRoot.
QString CacheFolder();

// CacheFolder() + "/temp".
QString DefaultTempRoot();

// Creates the work folder's TempRoot when missing and keeps it owner-only
// (0700): the work files hold the user's lyrics. False when it is not a
// folder afterwards.
bool EnsureTempRoot(const WorkFolder& work);

// The lock that keeps a second copy from sharing the work folder. A lock left
// by a run that crashed is taken over; a running copy's never expires.
class InstanceLock final
{
public:
    explicit InstanceLock(const QString& cacheFolder);

    enum class Outcome
    {
        Locked,        // this copy is the one running
        HeldByAnother, // another running copy holds it
        Unavailable,   // no lock file can be made (the cache folder cannot be)
    };
    Outcome tryLock();
    QString path() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace verselet
