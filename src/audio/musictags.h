#pragma once

#include "document/result.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace verselet {

// What a music file says about itself.
struct MusicTags
{
    QString title;
    QString artist;
    QString album;
    qint32 lengthMs = 0;
};

// The tags of any file TagLib reads, its length from the audio properties (0
// when unknown); nullopt when TagLib cannot read the file.
std::optional<MusicTags> ReadMusicTags(const QString& path);

// One entry of synchronised lyrics (an ID3v2 SYLT frame): its time from the
// start of the file, and its text.
struct SyncedText
{
    qint32 milliseconds = 0;
    QString text;
    friend bool operator==(const SyncedText&, const SyncedText&) = default;
};

// What goes into a file: the LRC text (ID3v2 USLT, the Vorbis comment LYRICS,
// MP4 ©lyr) and, where an ID3v2 tag holds them (MP3, WAV, AIFF), the entries
// of one SYLT frame.
struct EmbeddedLyrics
{
    QString lrcText;
    QList<SyncedText> synced;
    // The plain LRC text for an ID3v2 tag's USLT, whose SYLT has the word
    // times; "": lrcText there too.
    QString plainLrcText = {};
};

// Whether lyrics can be written into the file: MP3, FLAC, Ogg Vorbis, Opus,
// MP4/M4A, WAV or AIFF, as its content says, whatever its name ends with.
bool CanHoldLyrics(const QString& path);

// The lyrics the file holds now, as the user would read them: its unsynchronised
// text (USLT, LYRICS or UNSYNCEDLYRICS, ©lyr), or, with none, the SYLT entries
// one a line; "" when it holds none or cannot be read.
QString LyricsInFile(const QString& path);

// A file as it was seen: its size and modification time (to the millisecond);
// size -1 and no time for a file that is not there.
struct FileStamp
{
    qint64 size = -1;
    QDateTime modified;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
FileStamp StampOf(const QString& path);

enum class LyricsWriteError
{
    NotSupported,
    ReadOnly,
    Changed,
    Unreadable,
    WriteFailed
};
struct LyricsWriteFailure
{
    LyricsWriteError kind = LyricsWriteError::WriteFailed;
    QString path;
    QString detail;
};

// Writes the lyrics into the file, in place of every lyrics it holds (all
// USLT and SYLT frames; LYRICS and UNSYNCEDLYRICS; ©lyr), keeping every other
// tag, frame and picture, an ID3v2 tag's version (2.2, which TagLib cannot
// write, becomes 2.3), an ID3v1 or APE tag, and the audio data untouched.
// Nothing is written, and the failure says why, when the file is not there
// or cannot be read (Unreadable), its stamp is no longer `expected`
// (Changed), its form cannot hold lyrics (NotSupported), or the user may not
// write it or its folder (ReadOnly). The new file replaces the old one whole
// (ReplaceFileContents), so a failure part-way (WriteFailed) leaves the old
// one as it was. A symbolic link stays a link: the file it names is replaced.
Result<void, LyricsWriteFailure>
WriteLyricsIntoFile(const QString& path, const EmbeddedLyrics& lyrics, const FileStamp& expected);

} // namespace verselet
