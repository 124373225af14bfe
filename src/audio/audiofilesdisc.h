#pragma once

#include "audio/disc.h"

#include <QStringList>

#include <functional>

namespace verselet {

// Reports how far measuring has come: files done, files in all.
using MeasureProgress = std::function<void(int done, int total)>;

// A disc made of audio files that libsndfile reads (WAV, FLAC, Ogg Vorbis,
// Opus, MP3, AIFF):
//   - a folder: each audio file a track, in natural name order ("2" before "10"),
//     named after the file;
//   - an .m3u / .m3u8 playlist: each entry a track;
//   - a .cue sheet whose FILE lines name audio files: each TRACK starts at
//     its INDEX 01, the usual way a CD is ripped to one or more files.
// Each track's length is what is actually played: an MP3's is read from its
// Xing or Info frame when that states it exactly, otherwise the MP3 is decoded
// whole to count its frames, because libsndfile only estimates them. Audio
// that is not 44.1 kHz stereo is converted as it plays (libsoxr for another
// rate). nullptr when anything named is missing or unreadable, or when there
// is no audio at all.
std::unique_ptr<Disc> OpenAudioFilesDisc(const QString& name, const MeasureProgress& progress = {});

// What such a disc is made of, as OpenAudioFilesDisc would read it now: the
// name itself, then a folder's audio files, a playlist's entries or the files
// a cue sheet names. Files that are missing are listed too.
QStringList AudioFilesDiscFiles(const QString& name);

// The files a cue sheet's FILE lines name, in order, found beside it.
QStringList CueSheetFiles(const QString& cuePath);

// Whether a .cue sheet describes audio files (WAVE, MP3, FLAC, AIFF) rather
// than a BINARY image.
bool CueNamesAudioFiles(const QString& cuePath);

// Name order as people count: "2 b" before "10 a", letter case aside.
bool NaturalLess(const QString& a, const QString& b);

// The audio files of a folder in the order they become tracks.
QStringList AudioFilesInFolder(const QString& folder);

} // namespace verselet
