#pragma once

// What a real-time input needs of the editor, handed in once: the work folder,
// the document (the editor is blocked while the input runs; the input reads
// its texts and keeps its tags there), the drive to play from, the track the
// last run ended on, a way to make the device and a way to ask for the file
// to save to. No window of the input reaches into the editor's widgets.

#include "audio/cdaudiodevice.h"
#include "workfiles/workfiles.h"

#include <QString>

#include <functional>
#include <memory>

namespace verselet {

class LyricsDocument;
class ReadingProposer;

struct RealtimeContext
{
    WorkFolder work;
    LyricsDocument* document = nullptr;
    // The name the device opens: a drive, an image, a folder of audio files.
    QString driveName;
    // The track list index a timing window starts on, as decimal text; each
    // timing window that closes leaves its own here.
    QString rememberedTrack = QStringLiteral("0");
    std::function<std::unique_ptr<CdAudioDevice>()> makeDevice;
    // Proposes the readings of kanji in word mode (none: no readings are
    // proposed); it outlives the input.
    ReadingProposer* readings = nullptr;
    // The editor's file dialog for saving, with the name it keeps (the
    // document's); the chosen path, or "" when the user cancels.
    std::function<QString()> chooseSaveTarget;
    // Told of every file the input writes for the user (the editor lists it
    // among the files last saved).
    std::function<void(const QString&)> fileWritten;
};

} // namespace verselet
