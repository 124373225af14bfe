#pragma once

// Turning the text of an opened file into a document: header, start and body
// texts (CR LF between lines) and the lines the tag file receives.

#include "document/exacttimes.h"
#include "document/linewords.h"
#include "document/lrcformat.h"

#include <QString>
#include <QStringList>

namespace verselet {

struct LoadedLyrics
{
    bool timed = false;
    // False when the file was read but its document is incomplete: a timed
    // text without a body, or without a header line. The texts then hold
    // what was read, and the load ends with the load failure message.
    bool complete = true;
    QString headerText;
    QString startText;
    QString bodyText;
    QStringList tagLines; // the tag file's new content
    // For a timed text, the 1-based line of the file each of the body's tag
    // fields was read from (the filler lines after them have none).
    QList<int> tagSourceLines;
    // The exact times beside the new tag file; none for a file that has only
    // whole seconds.
    ExactTimes exactTimes;
    // The lines' words beside the tag file (an LRC file timed word by word).
    WordTimes wordTimes;
    // For an LRC file, what it held beyond its lines.
    LrcOrigin lrcOrigin;
};

// A recognised timed text, read line by line: header lines up to the start
// line, the start text, and from the first "-------" line on each line's text
// in the body and its tag field in the tag file, followed by 224 "[--:--]".
// The header and the body are joined by CR LF with no line end after the last
// line. With no body line the load is incomplete and the header keeps the line
// end after its last line; with no header line it is incomplete after the
// body has been read.
LoadedLyrics LoadTimedLyrics(const QString& content);

// Any other text: the 35-hyphen separator, CR LF, then the text as it is, and
// the tag template.
LoadedLyrics LoadPlainLyrics(const QString& content);

// Line and paragraph separators (U+2028, U+2029) and NEL (U+0085) inside a
// line of a file: the editor boxes would show each as a line break of their
// own, so the body would no longer pair with the tag file line by line. In a
// timed text each becomes one space, and the line stays one line; in any other
// text each ends the line (CR LF).
QString ResolveLineSeparators(const QString& content, bool timed);

// A song's title, artist and album: the header's first three lines, in the
// forms that name them (LRC's [ti:], a karaoke text's @Title=).
struct SongTitles
{
    QString title;
    QString artist;
    QString album;
};
SongTitles TitlesOfHeader(const QString& headerText);
// Each of title, artist and album that is empty takes the one `from` gives.
void FillTitles(QString& title, QString& artist, QString& album, const SongTitles& from);

// A line of a file timed line by line: when it begins (none for a line
// without a time), its text and its words.
struct TimedLine
{
    ExactTime time;
    QString text;
    LineWords words;
};
// The document of a file of such lines (an LRC file, a karaoke text): the
// titles as the header's lines (empty ones at its end left out), the start
// text, then the separator and each line in the body, with its tag, exact
// time and words.
LoadedLyrics LoadTimedLines(const SongTitles& titles, const QString& startText,
                            const QList<TimedLine>& lines);

// Recognises the format and loads. The content has CR LF line ends; line
// separators are resolved once the format is known.
LoadedLyrics LoadLyricsText(const QString& content);

} // namespace verselet
