#include "realtime/lyricstext.h"

#include "document/lyricsformat.h"
#include "realtime/workfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace verselet {

Result<void, FileError> CreateLyricsTextFile(const QString& tempRoot, const QString& bodyText)
{
    return WriteWorkText(TextFilePath(tempRoot), bodyText + kCrLf.toString());
}

Result<void, FileError> ComposeStagingFile(const QString& tempRoot, const QString& headerText,
                                           const QString& startText)
{
    const auto pairs = ReadLinePairs(tempRoot);
    if (!pairs)
        return pairs.error();
    return WriteWorkText(StagingFilePath(tempRoot),
                         ComposeTimedText(headerText, startText, pairs.value()));
}

Result<void, FileError> SaveLyricsText(const QString& tempRoot, const QString& targetPath)
{
    const QString staging = StagingFilePath(tempRoot);
    QFile source(staging);
    if (!source.open(QIODevice::ReadOnly))
        return FileError{FileErrorKind::Unreadable, staging};
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return FileError{FileErrorKind::Unreadable, staging};

    // A lyrics text is a regular file. QSaveFile would rename its new file over
    // whatever stands at the path, so a device node or a pipe there would be
    // replaced, not written to (as root even /dev/full). Such a target is
    // refused and left as it is.
    if (const QFileInfo existing(targetPath); existing.exists() && !existing.isFile())
        return FileError{FileErrorKind::Unwritable, targetPath};

    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly))
        return FileError{FileErrorKind::Unwritable, targetPath};
    // QSaveFile commits even when its last buffered write failed: flush first
    // and give up the new file if anything did not reach the disk.
    if (target.write(bytes) != bytes.size() || !target.flush()) {
        target.cancelWriting();
        target.commit();
        return FileError{FileErrorKind::Unwritable, targetPath};
    }
    if (!target.commit())
        return FileError{FileErrorKind::Unwritable, targetPath};
    return {};
}

} // namespace verselet
