#pragma once

// The tracks of a disc as a timing run lists them, and the one chosen.

#include "audio/cdaudiodevice.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>

namespace verselet {

// The tracks of the disc, "ﾄﾗｯｸn [mm:ss]" each ("ﾄﾗｯｸn name [mm:ss]" for a
// track the disc names: its title, else its file's name), and the one chosen.
struct TrackList
{
    // Where a track starts on the disc and how long it is, in ms, and the
    // name the disc gives it.
    struct Track
    {
        qint32 start = 0;
        qint32 length = 0;
        QString name;
        TrackTags tags = {};
    };
    QList<Track> tracks;
    // -1: none chosen; the disc then plays from its first track.
    int chosen = -1;

    QStringList entries() const;
    // The index a remembered one names (decimal text, read the lenient way,
    // halves to even); -1 when it names no track of the list.
    int indexOf(QStringView remembered) const;
    // The track that plays: the chosen one, the first when none is.
    int playingNumber() const { return std::max(chosen, 0) + 1; }
    Track playing() const;
};

// Every track of the disc the device has read, none chosen.
TrackList ReadTrackList(CdAudioDevice& device);

} // namespace verselet
