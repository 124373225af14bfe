#pragma once

// A file the user opens, made a document: read and decoded at the file
// boundary, then read as what it is. The windows turn a failure into their
// message; nothing here asks or tells the user anything.

#include "document/lyricsloader.h"
#include "document/result.h"
#include "document/subtitles.h"
#include "document/textfile.h"

#include <QString>

#include <optional>

namespace verselet {

// The forms of subtitle editors and players a file is read as, by its name.
enum class SubtitleForm
{
    None,
    Srt,
    WebVtt,
    Ass,
    Ttml
};

struct OpenedLyrics
{
    LoadedLyrics lyrics;
    // Read as a karaoke text ([mm:ss:cc] tags): the program has no form of
    // its own to save it in as it stands.
    bool karaokeText = false;
    // Read as one of the subtitle forms, which Save does not write either,
    // and what of it a lyrics document had no place for.
    SubtitleForm subtitle = SubtitleForm::None;
    DroppedParts dropped = {};
    // What the text was read as, and, when the program chose that itself,
    // why it may not be what the file says.
    TextEncoding encoding = TextEncoding::Cp932;
    ReadingDoubt doubt = ReadingDoubt::None;
};

// An LRC file (by its name, ".lrc") is read as LRC; an .srt, .vtt, .ass or
// .ssa, .ttml file, or an .xml whose root is <tt>, as that form (Damaged
// with the line and kind of the first fault, DocumentTooLarge); any other
// file as a
// timed lyrics text when it is one, else as a karaoke text when a line
// begins with a [mm:ss:cc] tag, else as the body of a new document. The
// text is read as the encoding given, else as the file's bytes say. The
// errors of ReadUserTextFile; for an LRC file that gives no document NoLyrics
// when no line has a time tag, DocumentTooLarge when its tags repeat its
// lines into more than a document may hold.
Result<OpenedLyrics, FileError> ReadLyricsFile(const QString& path,
                                               std::optional<TextEncoding> encoding = std::nullopt);

} // namespace verselet
