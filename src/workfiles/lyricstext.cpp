#include "workfiles/lyricstext.h"

#include "document/lyricsformat.h"
#include "workfiles/workfiles.h"

#include <QFile>
#include <QFileInfo>

namespace verselet {

Result<void, FileError> CreateLyricsTextFile(const WorkFolder& work, const QString& bodyText)
{
    return WriteWorkText(work.textFile(), bodyText + kCrLf.toString());
}

Result<void, FileError> ComposeStagingFile(const WorkFolder& work, const QString& headerText,
                                           const QString& startText)
{
    const auto pairs = ReadLinePairs(work);
    if (!pairs)
        return pairs.error();
    return WriteWorkText(work.stagingFile(),
                         ComposeTimedText(headerText, startText, pairs.value()));
}

Result<void, FileError> SaveLyricsText(const WorkFolder& work, const QString& targetPath)
{
    const QString staging = work.stagingFile();
    QFile source(staging);
    if (!source.open(QIODevice::ReadOnly))
        return FileError{FileErrorKind::Unreadable, staging};
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return FileError{FileErrorKind::Unreadable, staging};

    return ReplaceUserFile(targetPath, bytes);
}

} // namespace verselet
