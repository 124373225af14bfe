#include "document/lyricsfile.h"

#include "document/karaokelyrics.h"
#include "document/lrcformat.h"
#include "document/lrcimport.h"
#include "document/lyricsformat.h"

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// Whether some line of an LRC text that gives no document has a time tag:
// then its tags made it too large. Only a line that begins with "[" and a
// digit, after blanks and byte order marks, is given to the reader, and only
// its beginning, so that it cannot grow large.
bool hasTimedLine(const QString& content)
{
    for (QStringView line : QStringView(content).split(u"\r\n"_s)) {
        while (!line.isEmpty() && (line.front().isSpace() || line.front() == QChar(0xFEFF)))
            line = line.sliced(1);
        if (line.size() > 1 && line.front() == u'[' && line.at(1).isDigit() &&
            ParseLrc(line.left(64).toString()))
            return true;
    }
    return false;
}

} // namespace

Result<OpenedLyrics, FileError> ReadLyricsFile(const QString& path,
                                               std::optional<TextEncoding> encoding)
{
    auto read = ReadUserTextFile(path, encoding);
    if (!read)
        return read.error();
    const QString& content = read.value().text;
    OpenedLyrics opened;
    opened.encoding = read.value().encoding;
    opened.doubt = read.value().doubt;
    if (IsLrcFileName(path)) {
        // [mm:ss:xx] is one of LRC's own forms.
        const QString lrcText = ResolveLineSeparators(content, true);
        std::optional<LoadedLyrics> lrc = LoadLrcLyrics(lrcText);
        if (!lrc)
            return FileError{hasTimedLine(lrcText) ? FileErrorKind::DocumentTooLarge
                                                   : FileErrorKind::NoLyrics,
                             path};
        opened.lyrics = std::move(*lrc);
        return opened;
    }
    if (!IsTimedLyricsText(content)) {
        if (auto karaoke = LoadKaraokeLyrics(ResolveLineSeparators(content, true))) {
            opened.lyrics = std::move(*karaoke);
            opened.karaokeText = true;
            return opened;
        }
    }
    opened.lyrics = LoadLyricsText(content);
    return opened;
}

} // namespace verselet
