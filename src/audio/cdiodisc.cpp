#include "audio/cdiodisc.h"

#include "audio/audiofilesdisc.h"
#include "audio/cdiolog.h"
#include "document/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cdio/cdio.h>
#include <cdio/cdtext.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstring>

namespace verselet {

namespace {

struct CdioDeleter
{
    void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioDeleter>;

struct DriveDeleter
{
    void operator()(cdrom_drive_t* d) const { cdio_cddap_close_no_free_cdio(d); }
};
using DrivePtr = std::unique_ptr<cdrom_drive_t, DriveDeleter>;

struct ParanoiaDeleter
{
    void operator()(cdrom_paranoia_t* p) const { cdio_paranoia_free(p); }
};
using ParanoiaPtr = std::unique_ptr<cdrom_paranoia_t, ParanoiaDeleter>;

CdioPtr openCdio(const QString& name)
{
    InstallCdioLogHandler();
    // libcdio guesses an image's kind only for some; the name says which.
    driver_id_t driver = DRIVER_UNKNOWN;
    if (name.endsWith(QLatin1String(".cue"), Qt::CaseInsensitive))
        driver = DRIVER_BINCUE;
    else if (name.endsWith(QLatin1String(".toc"), Qt::CaseInsensitive))
        driver = DRIVER_CDRDAO;
    else if (name.endsWith(QLatin1String(".nrg"), Qt::CaseInsensitive))
        driver = DRIVER_NRG;
    return CdioPtr(cdio_open(QFile::encodeName(name).constData(), driver));
}

// A data file's name in a cdrdao .toc: FILE, AUDIOFILE or DATAFILE "name".
const QRegularExpression& tocFileName()
{
    static const QRegularExpression fileName(
        QStringLiteral(R"re(\b((?:AUDIO|DATA)?FILE)\s+"([^"]+)")re"));
    return fileName;
}

// libcdio finds the data files a cdrdao .toc names relative to the current
// folder, not to the .toc. A copy of the .toc with those names made absolute
// reads the same disc from anywhere.
std::unique_ptr<QTemporaryFile> absoluteTocCopy(const QString& tocPath)
{
    QFile toc(tocPath);
    if (!toc.open(QIODevice::ReadOnly))
        return nullptr;
    QString text = QString::fromLocal8Bit(toc.readAll());
    const QDir base = QFileInfo(tocPath).absoluteDir();
    const QRegularExpression& fileName = tocFileName();
    QString out;
    qsizetype last = 0;
    for (auto it = fileName.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const QString name = m.captured(2);
        out += m.captured(1) + QStringLiteral(" \"") +
               (QFileInfo(name).isAbsolute() ? name : base.absoluteFilePath(name)) +
               QLatin1Char('"');
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    auto copy =
        std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/verselet-XXXXXX.toc"));
    if (!copy->open() || copy->write(out.toLocal8Bit()) < 0 || !copy->flush())
        return nullptr;
    return copy;
}

// The paranoia callback has no context: hard read errors are counted per thread.
thread_local int t_readErrors = 0;

void countReadErrors(long, paranoia_cb_mode_t mode)
{
    if (mode == PARANOIA_CB_READERR)
        ++t_readErrors;
}

// A CD-Text field as text. libcdio reads a cue sheet's TITLE and PERFORMER
// lines as ISO 8859-1, while the programs that write cue sheets write UTF-8
// or, on Japanese systems, Shift-JIS: for an image, text that comes back as
// Latin-1 alone is taken as the bytes it was and read as UTF-8, then as
// Shift-JIS, and only then as Latin-1 indeed.
QString cdText(const cdtext_t* cdtext, cdtext_field_t field, track_t track, bool image)
{
    const char* raw = cdtext ? cdtext_get_const(cdtext, field, track) : nullptr;
    // Blanks are trimmed from the text as read: a UTF-8 character may end in
    // the byte Latin-1 calls a no-break space.
    const QString text = QString::fromUtf8(raw ? raw : "");
    if (!image ||
        std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0xff; }))
        return text.trimmed();
    return DecodeUnlabelledText(text.toLatin1()).trimmed();
}

// The disc's CD-Text for a track: its title and performer, the disc's title
// as the album, and the disc's performer for a track without one of its own.
TrackTags cdTextTags(CdIo_t* cdio, track_t track, bool image)
{
    const cdtext_t* cdtext = cdio_get_cdtext(cdio);
    TrackTags tags;
    tags.title = cdText(cdtext, CDTEXT_FIELD_TITLE, track, image);
    tags.artist = cdText(cdtext, CDTEXT_FIELD_PERFORMER, track, image);
    if (tags.artist.isEmpty())
        tags.artist = cdText(cdtext, CDTEXT_FIELD_PERFORMER, 0, image);
    tags.album = cdText(cdtext, CDTEXT_FIELD_TITLE, 0, image);
    return tags;
}

class CdioReader final : public DiscReader
{
public:
    CdioReader(CdioPtr cdio, QList<DiscTrack> tracks, bool drive)
        : m_cdio(std::move(cdio)), m_tracks(std::move(tracks))
    {
        // An image file holds exactly the disc's bytes and is read as it is;
        // a drive is read through cd-paranoia, which checks overlapping reads
        // against jitter and scratches.
        if (!drive)
            return;
        m_drive.reset(cdio_cddap_identify_cdio(m_cdio.get(), CDDA_MESSAGE_FORGETIT, nullptr));
        if (m_drive && cdio_cddap_open(m_drive.get()) == 0) {
            m_paranoia.reset(cdio_paranoia_init(m_drive.get()));
            // Full checking, but a sector that cannot be read is skipped
            // rather than retried for ever: playback must go on.
            if (m_paranoia)
                cdio_paranoia_modeset(m_paranoia.get(),
                                      PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        }
    }

    qint64 read(qint64 at, qint16* out, qint64 frames) override
    {
        qint64 done = 0;
        while (done < frames) {
            const lsn_t lsn = lsn_t((at + done) / kFramesPerSector);
            const qint64 inSector = (at + done) % kFramesPerSector;
            const DiscTrack* track = trackAt(at + done);
            if (!track)
                break;
            const qint16* sector = nullptr;
            if (track->audio) {
                sector = readSector(lsn);
                if (!sector)
                    break;
            }
            const qint64 n = std::min(frames - done, kFramesPerSector - inSector);
            qint16* dest = out + done * kChannels;
            if (sector)
                std::memcpy(dest, sector + inSector * kChannels, size_t(n) * kChannels * 2);
            else
                std::memset(dest, 0, size_t(n) * kChannels * 2);
            done += n;
        }
        return done;
    }

private:
    const DiscTrack* trackAt(qint64 frame) const
    {
        for (const DiscTrack& t : m_tracks) {
            if (frame >= t.startFrame && frame < t.startFrame + t.frames)
                return &t;
        }
        return nullptr;
    }

    const qint16* readSector(lsn_t lsn)
    {
        if (lsn == m_cachedLsn)
            return m_cache;
        if (m_paranoia) {
            if (lsn != m_nextLsn)
                cdio_paranoia_seek(m_paranoia.get(), lsn, SEEK_SET);
            t_readErrors = 0;
            const int16_t* data = cdio_paranoia_read_limited(m_paranoia.get(), countReadErrors, 3);
            // A disc taken out of the drive gives nothing but errors.
            if (!data || t_readErrors > 0) {
                if (++m_failedSectors > 8 || !data)
                    return nullptr;
            } else {
                m_failedSectors = 0;
            }
            std::memcpy(m_cache, data, sizeof m_cache);
        } else if (cdio_read_audio_sectors(m_cdio.get(), m_cache, lsn, 1) != DRIVER_OP_SUCCESS) {
            return nullptr;
        }
        m_cachedLsn = lsn;
        m_nextLsn = lsn + 1;
        return m_cache;
    }

    CdioPtr m_cdio;
    DrivePtr m_drive;
    ParanoiaPtr m_paranoia;
    QList<DiscTrack> m_tracks;
    qint16 m_cache[kFramesPerSector * kChannels] = {};
    lsn_t m_cachedLsn = -1;
    lsn_t m_nextLsn = -1;
    int m_failedSectors = 0;
};

class CdioDisc final : public Disc
{
public:
    CdioDisc(QString name, QList<DiscTrack> tracks, bool drive, std::unique_ptr<QTemporaryFile> toc)
        : m_name(std::move(name)), m_tracks(std::move(tracks)), m_drive(drive),
          m_toc(std::move(toc))
    {
    }

    const QList<DiscTrack>& tracks() const override { return m_tracks; }

    std::unique_ptr<DiscReader> openReader() const override
    {
        CdioPtr cdio = openCdio(m_name);
        if (!cdio)
            return nullptr;
        return std::make_unique<CdioReader>(std::move(cdio), m_tracks, m_drive);
    }

    bool isDrive() const override { return m_drive; }

private:
    QString m_name;
    QList<DiscTrack> m_tracks;
    bool m_drive;
    std::unique_ptr<QTemporaryFile> m_toc; // what m_name names, for a .toc
};

} // namespace

QStringList ImageFiles(const QString& name)
{
    QStringList files{name};
    if (name.endsWith(QLatin1String(".cue"), Qt::CaseInsensitive)) {
        files += CueSheetFiles(name);
    } else if (name.endsWith(QLatin1String(".toc"), Qt::CaseInsensitive)) {
        QFile toc(name);
        if (toc.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromLocal8Bit(toc.readAll());
            const QDir base = QFileInfo(name).absoluteDir();
            for (auto it = tocFileName().globalMatch(text); it.hasNext();) {
                const QString file = it.next().captured(2);
                files.append(QFileInfo(file).isAbsolute() ? file : base.absoluteFilePath(file));
            }
        }
    }
    return files;
}

std::unique_ptr<Disc> OpenCdioDisc(const QString& given, bool paranoia)
{
    QString name = given;
    std::unique_ptr<QTemporaryFile> toc;
    if (given.endsWith(QLatin1String(".toc"), Qt::CaseInsensitive)) {
        toc = absoluteTocCopy(given);
        if (!toc)
            return nullptr;
        name = toc->fileName();
    }
    const CdioPtr cdio = openCdio(name);
    if (!cdio)
        return nullptr;
    const track_t first = cdio_get_first_track_num(cdio.get());
    const track_t count = cdio_get_num_tracks(cdio.get());
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0)
        return nullptr;

    const driver_id_t driver = cdio_get_driver_id(cdio.get());
    const bool image = driver == DRIVER_BINCUE || driver == DRIVER_CDRDAO || driver == DRIVER_NRG;
    QList<DiscTrack> tracks;
    for (track_t t = first; t < first + count; ++t) {
        const lsn_t start = cdio_get_track_lsn(cdio.get(), t);
        const lsn_t last = cdio_get_track_last_lsn(cdio.get(), t);
        if (start == CDIO_INVALID_LSN || last == CDIO_INVALID_LSN || last < start)
            return nullptr;
        DiscTrack track;
        track.startFrame = qint64(start) * kFramesPerSector;
        track.frames = qint64(last - start + 1) * kFramesPerSector;
        track.audio = cdio_get_track_format(cdio.get(), t) == TRACK_FORMAT_AUDIO;
        track.tags = cdTextTags(cdio.get(), t, image);
        tracks.append(track);
    }
    const bool drive = paranoia || !image;
    return std::make_unique<CdioDisc>(name, std::move(tracks), drive, std::move(toc));
}

} // namespace verselet
