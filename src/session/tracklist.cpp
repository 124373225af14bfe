#include "session/tracklist.h"

#include "document/lenientnumber.h"
#include "document/timetag.h"

#include <QCoreApplication>

namespace verselet {

namespace {

// A track's name as the track list shows it: a longer one is cut to this
// many characters, the last of them an ellipsis, and the length still ends
// the entry.
constexpr qsizetype kShownNameLength = 40;

QString shownTrackName(const QString& name)
{
    if (name.size() <= kShownNameLength)
        return name;
    qsizetype kept = kShownNameLength - 1;
    // A character outside the BMP is not split in two.
    if (name.at(kept - 1).isHighSurrogate())
        --kept;
    return name.first(kept) + u'…';
}

} // namespace

QStringList TrackList::entries() const
{
    QStringList entries;
    entries.reserve(tracks.size());
    for (int n = 1; n <= tracks.size(); ++n) {
        const Track& track = tracks.at(n - 1);
        const QString length = FormatTimeTag(track.length);
        const QString name = track.tags.title.isEmpty() ? track.name : track.tags.title;
        // One arg() for all, so that a "%1" in a file's name stays as it is.
        entries.append(name.isEmpty()
                           ? QCoreApplication::translate("verselet::Transport", "ﾄﾗｯｸ%1 %2")
                                 .arg(QString::number(n), length)
                           : QCoreApplication::translate("verselet::Transport", "ﾄﾗｯｸ%1 %2 %3")
                                 .arg(QString::number(n), shownTrackName(name), length));
    }
    return entries;
}

TrackList::Track TrackList::playing() const
{
    const int index = playingNumber() - 1;
    return index < tracks.size() ? tracks.at(index) : Track{};
}

int TrackList::indexOf(QStringView remembered) const
{
    const double index = RoundHalfEven(ReadLenientNumber(remembered));
    return index >= 0 && index < tracks.size() ? int(index) : -1;
}

TrackList ReadTrackList(CdAudioDevice& device)
{
    TrackList list;
    const int count = device.Tracks();
    for (int n = 1; n <= count; ++n) {
        device.setTrack(n);
        list.tracks.append(
            {device.TrackPosition(), device.TrackLength(), device.TrackName(), device.Tags()});
    }
    return list;
}

} // namespace verselet
