#include "workfiles/lyricstext.h"

#include "document/lyricsformat.h"
#include "workfiles/workfiles.h"

#include <QFile>
#include <QFileInfo>

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

    return ReplaceUserFile(targetPath, bytes);
}

} // namespace verselet
