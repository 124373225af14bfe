#include "document/lyricsfile.h"

#include "document/lrcimport.h"
#include "document/lyricsformat.h"

namespace verselet {

Result<OpenedLyrics, FileError> ReadLyricsFile(const QString& path)
{
    auto read = ReadUserTextFile(path);
    if (!read)
        return read.error();
    const QString& content = read.value().text;
    if (IsLrcFileName(path)) {
        // [mm:ss:xx] is one of LRC's own forms.
        std::optional<LoadedLyrics> lrc = LoadLrcLyrics(ResolveLineSeparators(content, true));
        if (!lrc)
            return FileError{FileErrorKind::NoLyrics, path};
        return OpenedLyrics{std::move(*lrc), false};
    }
    return OpenedLyrics{LoadLyricsText(content), HasSixDigitTags(content)};
}

} // namespace verselet
