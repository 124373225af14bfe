#include "document/lyricsfile.h"

#include "document/karaokelyrics.h"
#include "document/lrcformat.h"
#include "document/lrcimport.h"
#include "document/lyricsformat.h"
#include "document/subtitlelyrics.h"

#include <QFileInfo>

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

using SubtitleReader = Result<SubtitleRead, SubtitleFault> (*)(const QString&);

// The subtitle form a file is read as, by its name; an .xml only when its
// root element, near its start, is TTML's.
SubtitleForm subtitleFormOf(const QString& path, const QString& content)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"srt"_s)
        return SubtitleForm::Srt;
    if (suffix == u"vtt"_s)
        return SubtitleForm::WebVtt;
    if (suffix == u"ass"_s || suffix == u"ssa"_s)
        return SubtitleForm::Ass;
    if (suffix == u"ttml"_s ||
        (suffix == u"xml"_s && QStringView(content).left(4096).contains(u"<tt"_s)))
        return SubtitleForm::Ttml;
    return SubtitleForm::None;
}

SubtitleReader readerOf(SubtitleForm form)
{
    switch (form) {
    case SubtitleForm::Srt:
        return ReadSrt;
    case SubtitleForm::WebVtt:
        return ReadWebVtt;
    case SubtitleForm::Ass:
        return ReadAss;
    case SubtitleForm::Ttml:
        return ReadTtml;
    case SubtitleForm::None:
        break;
    }
    return nullptr;
}

FileError damaged(const QString& path, const SubtitleFault& fault)
{
    FileError error{fault.kind == SubtitleFaultKind::TooLarge ? FileErrorKind::DocumentTooLarge
                                                              : FileErrorKind::Damaged,
                    path};
    error.line = fault.line;
    error.damage = fault.kind == SubtitleFaultKind::NotThisForm ? DamageKind::NotThisForm
                   : fault.kind == SubtitleFaultKind::BadTime   ? DamageKind::BadTime
                                                                : DamageKind::BadStructure;
    return error;
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
    if (const SubtitleForm form = subtitleFormOf(path, content); form != SubtitleForm::None) {
        const auto read = readerOf(form)(content);
        if (!read)
            return damaged(path, read.error());
        opened.lyrics = LoadSubtitleLyrics(read.value());
        opened.subtitle = form;
        opened.dropped = read.value().dropped;
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
