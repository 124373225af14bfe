#pragma once

// What a real-time input needs of the editor, handed in once: the work folder,
// the document as it stands (the editor is blocked while the input runs), the
// drive to play from, the track the last run ended on, the exact times kept
// beside the tags, a way to make the device and a way to ask for the file to
// save to. No window of the input reaches into the editor's widgets.

#include "audio/cdaudiodevice.h"
#include "document/exacttimes.h"

#include <QString>

#include <functional>
#include <memory>

namespace verselet {

struct RealtimeContext
{
    QString tempRoot;
    QString headerText;
    QString startText;
    QString bodyText;
    // The name the device opens: a drive, an image, a folder of audio files.
    QString driveName;
    // The track list index a timing window starts on, as decimal text; each
    // timing window that closes leaves its own here.
    QString rememberedTrack = QStringLiteral("0");
    std::function<std::unique_ptr<CdAudioDevice>()> makeDevice;
    // The exact times beside the tag file, one per tag-file line; replaced
    // whenever a run writes the tag file.
    ExactTimes exactTimes;
    // The editor's file dialog for saving, with the name it keeps; the chosen
    // path, or "" when the user cancels.
    std::function<QString()> chooseSaveTarget;
    // The name that dialog keeps now ("" for none).
    std::function<QString()> keptFileName;
    // Set once a finish dialog has written the tag file (the run's tags are
    // kept), and once it has written the finished lyrics text (the document
    // is saved as it stands).
    bool tagsSaved = false;
    bool lyricsTextSaved = false;
};

} // namespace verselet
