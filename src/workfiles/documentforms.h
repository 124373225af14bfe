#pragma once

// A document written whole, in one of the forms the program saves, straight
// from its texts and tags: the bytes the finished text and the LRC writer of
// a real-time input give for the same lyrics, without the work folder.

#include "document/karaoketext.h"
#include "document/lrcformat.h"
#include "document/lyricsdocument.h"
#include "document/lyricsformat.h"
#include "document/result.h"
#include "document/textfile.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace verselet {

enum class SaveForm
{
    TimedText,  // code page 932, CR LF, a tag field before every body line
    Lrc,        // UTF-8, one time per line
    EnhancedLrc // the same with the lines' word times
};

// A character the timed text cannot hold: the box it stands in, and where
// (error.line and error.column counted in that box's text).
struct UnwritableText
{
    EditorBox box = EditorBox::Body;
    FileError error;
};

// The first such character, looking at the header, the start text and the
// body in that order; none when all three can be written.
std::optional<UnwritableText> FindUnwritableText(const QString& headerText,
                                                 const QString& startText, const QString& bodyText);

// The body's lines, each with the tag the tag file holds for it.
QList<TaggedLine> DocumentPairs(const LyricsDocument& document);
// The same lines as a run's rows: each with the exact time and the words the
// document keeps for it.
TimingRows DocumentRows(const LyricsDocument& document);
// The document as LRC, with its exact times, word times and what the LRC
// file it came from held.
LrcDocument DocumentLrc(const LyricsDocument& document);
// The same as karaoke text, with its readings and the "@" lines the karaoke
// text it came from held.
KaraokeDocument DocumentKaraoke(const LyricsDocument& document);

// The file's bytes; for the timed text, nothing when a character cannot be
// held (LRC holds every character).
Result<QByteArray, UnwritableText> EncodeDocument(const LyricsDocument& document, SaveForm form);

} // namespace verselet
