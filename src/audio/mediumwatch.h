#pragma once

// Whether the medium behind a name has changed since it was last read:
// another CD in the drive, an image or audio file written anew, a file come
// or gone. A watch is made just before the medium is read, so that a change
// made while it is read counts as well.

#include <QStringList>

#include <functional>
#include <memory>

namespace verselet {

class MediumWatch
{
public:
    virtual ~MediumWatch() = default;
    // True when the medium is no longer what it was when the watch was made.
    virtual bool changed() = 0;
};

// A CD drive (/dev/sr0), by libcdio's media-changed query: the drive keeps
// a flag that a disc was inserted or ejected since the flag was last asked
// for. Making the watch asks once to clear it. A drive that could not be
// opened before and can now, or the other way round, has changed too; a
// drive that cannot answer the query never counts as changed.
// The machines the tests run on have no CD drive: no test runs this path.
std::unique_ptr<MediumWatch> WatchDrive(const QString& device);

// Files: the files `list` names now (it is asked again at every look, so
// files that join or leave count), and whether each exists, its size and its
// modification time, against what they were.
std::unique_ptr<MediumWatch> WatchFiles(std::function<QStringList()> list);

} // namespace verselet
