#include "audio/discaudiodevice.h"

#include "audio/audiofilesdisc.h"
#include "audio/cdiodisc.h"
#include "audio/disc.h"
#include "audio/envelope.h"
#include "audio/mediumwatch.h"
#include "audio/playbackengine.h"

#include <QFileInfo>
#include <QPointer>

#include <thread>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

enum class Backend
{
    AudioFiles,
    Image,
    Drive
};

// Which backend reads what a name names.
Backend BackendFor(const QString& name)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().toLower();
    if (info.isDir() || suffix == u"m3u"_s || suffix == u"m3u8"_s ||
        (suffix == u"cue"_s && CueNamesAudioFiles(name)))
        return Backend::AudioFiles;
    if ((info.exists() && !info.isFile()) || name.startsWith(u"/dev/"_s))
        return Backend::Drive;
    if (suffix == u"cue"_s || suffix == u"toc"_s || suffix == u"nrg"_s)
        return Backend::Image;
    return Backend::AudioFiles;
}

// A watch on the medium a name names, as it is now. What a cue sheet names
// decides its backend, so that is asked again at every look too.
std::unique_ptr<MediumWatch> WatchMediumOf(const QString& name)
{
    if (BackendFor(name) == Backend::Drive)
        return WatchDrive(name);
    return WatchFiles([name] {
        return BackendFor(name) == Backend::Image ? ImageFiles(name) : AudioFilesDiscFiles(name);
    });
}

} // namespace

std::shared_ptr<const Disc> OpenDisc(const QString& name,
                                     const std::function<void(int, int)>& progress)
{
    if (name.isEmpty())
        return nullptr;
    std::unique_ptr<Disc> disc = BackendFor(name) == Backend::AudioFiles
                                     ? OpenAudioFilesDisc(name, progress)
                                     : OpenCdioDisc(name);
    if (disc && disc->tracks().isEmpty())
        disc.reset();
    return disc;
}

DiscAudioDevice::DiscAudioDevice(AudioOutputFactory outputs, QObject* parent)
    : CdAudioDevice(parent)
{
    // The engine's threads post to this object: Qt delivers the calls on this
    // object's thread, and drops those still pending when it is destroyed.
    PlaybackEvents events;
    events.post = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    events.ended = [this] { Q_EMIT playbackEnded(); };
    events.silenceChanged = [this] { Q_EMIT silenceChanged(); };
    m_engine = std::make_unique<PlaybackEngine>(std::move(outputs), std::move(events));
    m_envelopes = new EnvelopeCache(this);
}

DiscAudioDevice::~DiscAudioDevice()
{
    // Its threads end here, while this is still whole to post to. A disc
    // being read is read to its end first; what it posts back is dropped
    // with this object.
    if (m_reader.joinable())
        m_reader.join();
    m_engine.reset();
}

void DiscAudioDevice::setCommand(const QString& command)
{
    if (m_opening)
        return;
    const QString c = command.trimmed().toLower();
    if (c == u"open"_s) {
        m_mediumName = m_fileName;
        startReading();
    } else if (c == u"stop"_s) {
        m_engine->stop();
    } else if (c == u"play"_s) {
        if (!m_disc)
            return;
        if (m_fromSet) {
            m_fromSet = false;
            m_engine->play(m_fromFrame);
        } else if (!m_engine->isPlaying()) {
            m_engine->play(m_engine->heardFrame());
        }
    }
}

struct DiscAudioDevice::Reading
{
    // Given by a look: asked first, and kept when nothing has changed.
    std::unique_ptr<MediumWatch> look;
    bool read = false;
    std::shared_ptr<const Disc> disc;
    std::unique_ptr<DiscReader> reader; // the player's
    std::unique_ptr<MediumWatch> watch;
};

void DiscAudioDevice::startReading(std::unique_ptr<MediumWatch> look)
{
    // A look keeps the disc read before until it has something new; Open
    // lets it go at once.
    if (!look) {
        m_engine->setDisc(nullptr);
        m_disc.reset();
        m_fromSet = false;
    }

    // Reading a table of contents, measuring files, or only asking a drive
    // whether its disc changed may take a while: it runs on a thread of its
    // own, and this thread's events go on.
    m_opening = true;
    auto reading = std::make_shared<Reading>();
    reading->look = std::move(look);
    QPointer<DiscAudioDevice> self(this);
    const QString name = m_mediumName;
    m_reader = std::thread([reading, self, name] {
        // This object waits for this thread before it goes, so it is there
        // to post to.
        const auto answer = [&] {
            QMetaObject::invokeMethod(
                self.data(), [self, reading] { self->finishReading(reading); },
                Qt::QueuedConnection);
        };
        if (reading->look && !reading->look->changed()) {
            answer();
            return;
        }
        reading->read = true;
        reading->watch = WatchMediumOf(name);
        reading->disc = OpenDisc(name, [self](int done, int total) {
            QMetaObject::invokeMethod(self.data(), [self, done, total] {
                if (self)
                    Q_EMIT self->measuring(done, total);
            });
        });
        // The player's reader is opened now, with the table of contents, so
        // that a Play plays the image this reading saw even when its files
        // are replaced before the engine reads them: they are held open from
        // here. A handle would not keep a CD in its drive, so a drive is
        // opened by the first Play; audio files are opened as they are reached.
        if (reading->disc && !reading->disc->isDrive())
            reading->reader = reading->disc->openReader();
        answer();
    });
}

void DiscAudioDevice::finishReading(const std::shared_ptr<Reading>& reading)
{
    m_reader.join();
    m_opening = false;
    if (!reading->read) {
        // The medium is what was read: the disc, its watch and the player
        // stay as they are.
        m_watch = std::move(reading->look);
        Q_EMIT opened(m_disc != nullptr);
        return;
    }
    m_disc = reading->disc;
    m_watch = std::move(reading->watch);
    m_fromSet = false;
    m_engine->setDisc(m_disc, std::move(reading->reader));
    // A drive has one reader, the player's: its envelope is what it plays.
    // Images and audio files are read ahead by a reader of their own.
    const bool drive = m_disc && m_disc->isDrive();
    m_envelopes->setDisc(m_disc, !drive);
    if (drive)
        // The tap of the disc before may still be reading when this one
        // comes: its frames say that they are of that disc.
        m_engine->setTap([envelopes = m_envelopes, generation = m_envelopes->generation()](
                             qint64 at, const qint16* frames, qint64 count) {
            envelopes->feed(generation, at, frames, count);
        });
    else
        m_engine->setTap({});
    Q_EMIT opened(m_disc != nullptr);
}

void DiscAudioDevice::lookAtTheMedium()
{
    // An Open or a look under way answers by itself.
    if (m_opening)
        return;
    // Nothing was opened to look at; and what plays is not taken away.
    if (!m_watch || m_engine->isPlaying()) {
        Q_EMIT opened(m_disc != nullptr);
        return;
    }
    startReading(std::move(m_watch));
}

int DiscAudioDevice::Tracks() const
{
    return m_disc ? int(m_disc->tracks().size()) : 0;
}

const DiscTrack* DiscAudioDevice::describedTrack() const
{
    if (!m_disc || m_track < 1 || m_track > m_disc->tracks().size())
        return nullptr;
    return &m_disc->tracks().at(m_track - 1);
}

qint32 DiscAudioDevice::TrackLength() const
{
    const DiscTrack* track = describedTrack();
    return track ? FramesToMs(track->frames) : 0;
}

qint32 DiscAudioDevice::TrackPosition() const
{
    const DiscTrack* track = describedTrack();
    return track ? FramesToMs(track->startFrame) : 0;
}

QString DiscAudioDevice::TrackName() const
{
    const DiscTrack* track = describedTrack();
    return track ? track->name : QString();
}

TrackTags DiscAudioDevice::Tags() const
{
    const DiscTrack* track = describedTrack();
    return track ? track->tags : TrackTags{};
}

qint32 DiscAudioDevice::Position() const
{
    return FramesToMs(m_engine->heardFrame());
}

void DiscAudioDevice::setFrom(qint32 position)
{
    m_fromFrame = MsToFrames(std::max<qint32>(position, 0));
    m_fromSet = true;
}

bool DiscAudioDevice::isPlaying() const
{
    return m_engine->isPlaying();
}

void DiscAudioDevice::setSpeed(double speed)
{
    m_engine->setSpeed(speed);
}

bool DiscAudioDevice::isSilent() const
{
    return m_engine->isSilent();
}

} // namespace verselet
