#pragma once

// The forms that subtitle editors, video players and the streaming players'
// lyrics read — SRT, WebVTT, ASS (karaoke \k tags) and TTML — as a run is
// written to them and as a file of them is read: a line each cue, with its
// start, its end, and its segments' times where it has them.

#include "document/karaoketext.h"
#include "document/lyricsloader.h"
#include "document/result.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace verselet {

// The largest file of these forms a reader takes; anything larger is
// refused before it is parsed.
inline constexpr qint64 kMaxSubtitleBytes = kMaxUserTextBytes;

// What a run gives each of the writers: the song's lines with their times,
// words and readings (KaraokeFromRun's document: title, artist, start text,
// lines), and where the track ends, for the end of the last line (none:
// the last line ends where its words end, or lasts kLastCueMs).
struct SubtitleSource
{
    KaraokeDocument song;
    std::optional<qint32> trackEndMs;
};
// A last line with nothing to end it lasts this long.
inline constexpr qint32 kLastCueMs = 5000;

// Each writer's file, UTF-8 without a byte order mark:
//   SRT — one cue a timed line, from its time to the next line's (or its
//   own end when it has one), the last to the track's end; "HH:MM:SS,mmm";
//   CR LF line ends.
QByteArray WriteSrt(const SubtitleSource& source);
//   WebVTT — the same cues, "HH:MM:SS.mmm", with "<HH:MM:SS.mmm>" before
//   each segment after the first of a line with word times; LF line ends.
QByteArray WriteWebVtt(const SubtitleSource& source);
//   ASS — [Script Info], one style for the lines and one for readings, and
//   a Dialogue each line with {\kf<cs>} before each segment (a line without
//   word times one \kf over the whole line); readings a second Dialogue
//   each on the reading style, above, timed the same.
QByteArray WriteAss(const SubtitleSource& source);
//   TTML — <tt> with itunes:timing="Word" when a line has word times (else
//   "Line"), the title and artist in <head><metadata>, a <p begin end> each
//   line, a <span begin end> each segment, readings as tts:ruby spans.
QByteArray WriteTtml(const SubtitleSource& source);

// What a file of these forms held that a lyrics document has no place for:
// dropped as it is read, the user told once.
struct DroppedParts
{
    bool styles = false;    // fonts, colours, ASS styles, TTML styling
    bool positions = false; // cue settings, \pos and alignment, regions
    bool markup = false;    // <b>, <i>, {\an8} and other inline tags but the timing ones
    bool other = false;     // notes, comments, speakers, cues that overlap, anything else
    bool any() const { return styles || positions || markup || other; }
    friend bool operator==(const DroppedParts&, const DroppedParts&) = default;
};

// A file read: its lines in time order (a line's words and readings where
// the form gives them), the title and artist it names, what was dropped.
struct SubtitleRead
{
    SongTitles titles;
    QList<TimedLine> lines;
    DroppedParts dropped;
};

// Why a file is not read: the 1-based line of the first fault and what it is.
enum class SubtitleFaultKind
{
    NotThisForm,  // no header, signature or cue of the form at all
    BadTime,      // a time that is no time of the form
    BadStructure, // a cue, an element or a section broken off or out of place
    TooLarge,     // over kMaxSubtitleBytes, or more lines than a document holds
};
struct SubtitleFault
{
    int line = 0;
    SubtitleFaultKind kind = SubtitleFaultKind::BadStructure;
    friend bool operator==(const SubtitleFault&, const SubtitleFault&) = default;
};

// Each reader takes the file's text as decoded (any line ends). Readers are
// linear in the text's size and refuse what would make a document larger
// than kMaxLrcLines lines or kMaxLrcCharacters characters.
Result<SubtitleRead, SubtitleFault> ReadSrt(const QString& text);
Result<SubtitleRead, SubtitleFault> ReadWebVtt(const QString& text);
Result<SubtitleRead, SubtitleFault> ReadAss(const QString& text);
Result<SubtitleRead, SubtitleFault> ReadTtml(const QString& text);

} // namespace verselet
