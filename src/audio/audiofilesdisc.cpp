#include "audio/audiofilesdisc.h"

#include "audio/mpegheader.h"
#include "audio/musictags.h"
#include "audio/resampler.h"
#include "document/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

struct SndfileDeleter
{
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using SndfilePtr = std::unique_ptr<SNDFILE, SndfileDeleter>;

SndfilePtr openSndfile(const QString& path, SF_INFO* info)
{
    *info = {};
    return SndfilePtr(sf_open(QFile::encodeName(path).constData(), SFM_READ, info));
}

bool isMpeg(const SF_INFO& info)
{
    return (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG;
}

// One audio file and the part of the disc it fills.
struct AudioFile
{
    QString path;
    int rate = kFrameRate;
    int channels = 2;
    qint64 nativeFrames = 0; // frames in the file at its own rate
    qint64 startFrame = 0;   // where it begins on the disc
    qint64 frames = 0;       // its length on the disc, at 44.1 kHz
};

// Counts the frames an MP3 really decodes to, for one whose header does not
// say.
qint64 countDecodedFrames(SNDFILE* file, int channels)
{
    std::vector<float> buffer(size_t(8192) * size_t(std::max(channels, 1)));
    qint64 total = 0;
    for (;;) {
        const sf_count_t n = sf_readf_float(file, buffer.data(), 8192);
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

// An MP3's frames as its first frame states them, or -1 when it does not.
qint64 mpegFramesFromHeader(const QString& path)
{
    // Enough for junk before the first frame, the largest frame and the
    // header after it.
    constexpr qint64 kStreamHead = 16384;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const qint64 audioStart = Id3v2TagSize(f.read(10));
    if (audioStart >= f.size() || !f.seek(audioStart))
        return -1;
    return MpegFramesFromHeader(f.read(kStreamHead), f.size() - audioStart).value_or(-1);
}

// The frames an MP3 plays: what its header says when it says it exactly,
// otherwise what it decodes to.
qint64 mpegFrames(const QString& path, SNDFILE* file, int channels)
{
    const qint64 stated = mpegFramesFromHeader(path);
    return stated > 0 ? stated : countDecodedFrames(file, channels);
}

bool measure(AudioFile& file)
{
    SF_INFO info;
    SndfilePtr f = openSndfile(file.path, &info);
    if (!f || info.channels < 1 || info.samplerate < 1)
        return false;
    file.rate = info.samplerate;
    file.channels = info.channels;
    file.nativeFrames = isMpeg(info) ? mpegFrames(file.path, f.get(), info.channels) : info.frames;
    if (file.nativeFrames <= 0)
        return false;
    file.frames = file.rate == kFrameRate
                      ? file.nativeFrames
                      : qint64(std::llround(double(file.nativeFrames) * kFrameRate / file.rate));
    return file.frames > 0;
}

// Reads the files one after another as 44.1 kHz stereo: a file at 44.1 kHz
// as it is, one at another rate through the resampler.
class AudioFilesReader final : public DiscReader
{
public:
    explicit AudioFilesReader(QList<AudioFile> files) : m_files(std::move(files)) {}

    qint64 read(qint64 at, qint16* out, qint64 frames) override
    {
        qint64 done = 0;
        while (done < frames) {
            const int index = fileAt(at + done);
            if (index < 0)
                break;
            const AudioFile& file = m_files.at(index);
            const qint64 wanted =
                std::min(frames - done, file.startFrame + file.frames - (at + done));
            const qint64 got =
                readFromFile(index, at + done - file.startFrame, out + done * kChannels, wanted);
            if (got <= 0)
                break;
            done += got;
        }
        return done;
    }

private:
    static constexpr sf_count_t kBlock = 4096;

    int fileAt(qint64 frame) const
    {
        for (int i = 0; i < m_files.size(); ++i) {
            const AudioFile& f = m_files.at(i);
            if (frame >= f.startFrame && frame < f.startFrame + f.frames)
                return i;
        }
        return -1;
    }

    bool openFile(int index)
    {
        if (m_open == index)
            return true;
        const AudioFile& file = m_files.at(index);
        SF_INFO info;
        m_sndfile = openSndfile(file.path, &info);
        m_resampler.reset();
        if (m_sndfile && file.rate != kFrameRate) {
            m_resampler = std::make_unique<Resampler>(file.rate, kFrameRate);
            if (!m_resampler->isValid())
                m_sndfile.reset();
        }
        m_open = m_sndfile ? index : -1;
        m_nextFileFrame = -1;
        return m_sndfile != nullptr;
    }

    // Positions the file so that the next frame made is `fileFrame` of the
    // file's part of the disc; reading on from where the last read ended
    // keeps the stream as it is.
    bool position(int index, qint64 fileFrame)
    {
        if (!openFile(index))
            return false;
        if (fileFrame == m_nextFileFrame)
            return true;
        Resampler::Start start{fileFrame, 0};
        if (m_resampler) {
            start = m_resampler->startFor(fileFrame);
            m_resampler->clear();
        }
        m_ready.clear();
        m_readyAt = 0;
        m_discard = start.discard;
        // A place the file cannot reach is past where it really ends.
        m_fileEnded = sf_seek(m_sndfile.get(), start.inputFrame, SEEK_SET) < 0;
        return true;
    }

    // Makes more stereo frames at 44.1 kHz in m_ready; false when the file
    // has nothing more to give.
    bool produce(const AudioFile& file)
    {
        m_ready.clear();
        m_readyAt = 0;
        if (m_fileEnded) {
            // What the resampler's filter still holds.
            while (m_resampler && m_resampler->flush(m_ready)) {
                if (dropDiscarded())
                    return true;
                m_ready.clear();
            }
            return false;
        }
        m_native.resize(size_t(kBlock) * size_t(file.channels));
        const sf_count_t n = sf_readf_float(m_sndfile.get(), m_native.data(), kBlock);
        if (n <= 0) {
            m_fileEnded = true;
            return produce(file);
        }
        std::vector<float>& stereo = m_resampler ? m_stereo : m_ready;
        stereo.resize(size_t(n) * 2);
        for (sf_count_t i = 0; i < n; ++i) {
            const float left = m_native[size_t(i * file.channels)];
            stereo[size_t(i * 2)] = left;
            stereo[size_t(i * 2 + 1)] =
                file.channels > 1 ? m_native[size_t(i * file.channels + 1)] : left;
        }
        if (m_resampler)
            m_resampler->process(m_stereo.data(), n, m_ready);
        dropDiscarded();
        return true;
    }

    // Drops the frames a start before the wanted one made; true when some
    // are left.
    bool dropDiscarded()
    {
        const qint64 drop = std::min(m_discard, qint64(m_ready.size() / 2));
        m_readyAt = drop;
        m_discard -= drop;
        return m_readyAt < qint64(m_ready.size() / 2);
    }

    // libsndfile scales 16-bit samples by 1/32768; scaling back by the same
    // factor gives a 16-bit file's samples back unchanged.
    static qint16 toSample(float v)
    {
        return qint16(
            std::clamp(std::lround(std::clamp(v, -1.0f, 1.0f) * 32768.0f), -32768L, 32767L));
    }

    qint64 readFromFile(int index, qint64 fileFrame, qint16* out, qint64 frames)
    {
        if (!position(index, fileFrame))
            return 0;
        const AudioFile& file = m_files.at(index);
        qint64 done = 0;
        while (done < frames) {
            const qint64 available = qint64(m_ready.size() / 2) - m_readyAt;
            if (available <= 0) {
                if (!produce(file))
                    break;
                continue;
            }
            const qint64 n = std::min(available, frames - done);
            const float* from = m_ready.data() + m_readyAt * 2;
            for (qint64 i = 0; i < n * 2; ++i)
                out[done * 2 + i] = toSample(from[i]);
            m_readyAt += n;
            done += n;
        }
        // A file that decodes shorter than measured ends in silence, so the
        // tracks after it stay where the table of contents puts them.
        if (done < frames && m_fileEnded) {
            std::fill(out + done * 2, out + frames * 2, qint16(0));
            done = frames;
        }
        m_nextFileFrame = fileFrame + done;
        return done;
    }

    QList<AudioFile> m_files;
    SndfilePtr m_sndfile;
    std::unique_ptr<Resampler> m_resampler; // for a file not at 44.1 kHz
    int m_open = -1;
    qint64 m_nextFileFrame = -1;
    std::vector<float> m_native; // a block as the file has it
    std::vector<float> m_stereo; // the same block in stereo, to convert
    std::vector<float> m_ready;  // stereo frames at 44.1 kHz, from m_readyAt on
    qint64 m_readyAt = 0;
    qint64 m_discard = 0; // frames still to drop after a start
    bool m_fileEnded = false;
};

class AudioFilesDisc final : public Disc
{
public:
    AudioFilesDisc(QList<AudioFile> files, QList<DiscTrack> tracks)
        : m_files(std::move(files)), m_tracks(std::move(tracks))
    {
    }
    const QList<DiscTrack>& tracks() const override { return m_tracks; }
    std::unique_ptr<DiscReader> openReader() const override
    {
        return std::make_unique<AudioFilesReader>(m_files);
    }

private:
    QList<AudioFile> m_files;
    QList<DiscTrack> m_tracks;
};

const QStringList kAudioSuffixes{u"wav"_s,  u"wave"_s, u"flac"_s, u"ogg"_s, u"oga"_s,
                                 u"opus"_s, u"mp3"_s,  u"aif"_s,  u"aiff"_s};

// A track of a cue sheet: which file, and where in it (in CD frames of 1/75 s).
struct CueTrack
{
    int file = -1;
    qint64 indexSectors = -1;
    QString title;
    QString performer;
};

struct CueSheet
{
    QStringList files;
    QStringList fileTypes;
    QList<CueTrack> tracks;
    // The disc's own TITLE and PERFORMER, before its first track.
    QString title;
    QString performer;
};

QString unquote(QString s)
{
    s = s.trimmed();
    if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"'))
        return s.mid(1, s.size() - 2);
    return s;
}

CueSheet parseCue(const QString& path)
{
    CueSheet cue;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return cue;
    const QByteArray bytes = f.readAll();
    // A cue sheet written on a Japanese system is Shift-JIS.
    const QString text = DecodeUnlabelledText(bytes);
    static const QRegularExpression fileLine(uR"(^\s*FILE\s+(".*"|\S+)\s+(\S+)\s*$)"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression trackLine(uR"(^\s*TRACK\s+\d+\s+(\S+))"_s,
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression textLine(uR"(^\s*(TITLE|PERFORMER)\s+(".*"|\S.*)$)"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    // Minutes of six digits at most: far beyond any audio file, and the frame
    // count of the index cannot overflow.
    static const QRegularExpression indexLine(
        uR"(^\s*INDEX\s+0*1\s+(\d{1,6}):(\d{1,2}):(\d{1,2})(?!\d))"_s,
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : text.split(QRegularExpression(u"\r\n|\r|\n"_s))) {
        if (const auto m = fileLine.match(line); m.hasMatch()) {
            cue.files.append(unquote(m.captured(1)));
            cue.fileTypes.append(m.captured(2).toUpper());
        } else if (const auto m = textLine.match(line); m.hasMatch()) {
            const bool title = m.captured(1).compare(u"TITLE"_s, Qt::CaseInsensitive) == 0;
            QString& field = cue.tracks.isEmpty()
                                 ? (title ? cue.title : cue.performer)
                                 : (title ? cue.tracks.last().title : cue.tracks.last().performer);
            field = unquote(m.captured(2));
        } else if (const auto t = trackLine.match(line); t.hasMatch()) {
            cue.tracks.append({int(cue.files.size()) - 1, -1, {}, {}});
        } else if (const auto i = indexLine.match(line); i.hasMatch() && !cue.tracks.isEmpty()) {
            // INDEX 01 counts in the file named last, which is not the track's
            // first file when its pregap ends the file before (a rip with the
            // gaps appended to the previous track).
            cue.tracks.last().file = int(cue.files.size()) - 1;
            cue.tracks.last().indexSectors =
                (i.captured(1).toLongLong() * 60 + i.captured(2).toLongLong()) * 75 +
                i.captured(3).toLongLong();
        }
    }
    return cue;
}

QString resolve(const QString& base, const QString& entry)
{
    const QFileInfo info(entry);
    return info.isAbsolute() ? entry : QFileInfo(base).absoluteDir().filePath(entry);
}

QStringList playlistEntries(const QString& path)
{
    QStringList entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return entries;
    const QString text = QString::fromUtf8(f.readAll());
    for (QString line : text.split(QRegularExpression(u"\r\n|\r|\n"_s))) {
        line = line.trimmed();
        if (line.startsWith(u'\uFEFF'))
            line.remove(0, 1);
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u"file://"_s))
            line = QUrl(line).toLocalFile();
        entries.append(resolve(path, line));
    }
    return entries;
}

// Measures the files, reporting each one done, and lays them end to end.
bool measureAll(QList<AudioFile>& files, const MeasureProgress& progress)
{
    qint64 start = 0;
    for (int i = 0; i < files.size(); ++i) {
        if (!measure(files[i]))
            return false;
        files[i].startFrame = start;
        start += files[i].frames;
        if (progress)
            progress(i + 1, int(files.size()));
    }
    return true;
}

// What a file's tags say of it, and the file as it stands, for a track that
// is the whole file.
TrackTags wholeFileTags(const QString& path)
{
    TrackTags tags;
    if (const std::optional<MusicTags> music = ReadMusicTags(path)) {
        tags.title = music->title;
        tags.artist = music->artist;
        tags.album = music->album;
    }
    const FileStamp stamp = StampOf(path);
    tags.file = path;
    tags.fileSize = stamp.size;
    tags.fileModified = stamp.modified;
    return tags;
}

// Each file a track; `named`: each track named after its file, without the
// extension.
std::unique_ptr<Disc> discOfWholeFiles(const QStringList& paths, const MeasureProgress& progress,
                                       bool named = false)
{
    QList<AudioFile> files;
    for (const QString& p : paths)
        files.append(AudioFile{p});
    if (files.isEmpty() || !measureAll(files, progress))
        return nullptr;
    QList<DiscTrack> tracks;
    for (const AudioFile& f : files)
        tracks.append({f.startFrame, f.frames, true,
                       named ? QFileInfo(f.path).completeBaseName() : QString(),
                       wholeFileTags(f.path)});
    return std::make_unique<AudioFilesDisc>(std::move(files), std::move(tracks));
}

// A cue sheet's track: its own TITLE and PERFORMER, then the sheet's, then
// its file's tags; the file is the track only when the track is all of it.
TrackTags cueTrackTags(const CueSheet& cue, const CueTrack& track, bool wholeFile,
                       const QString& path)
{
    TrackTags tags = wholeFileTags(path);
    if (!track.title.isEmpty() || !wholeFile)
        tags.title = track.title;
    const QString& artist = track.performer.isEmpty() ? cue.performer : track.performer;
    if (!artist.isEmpty())
        tags.artist = artist;
    if (!cue.title.isEmpty())
        tags.album = cue.title;
    if (!wholeFile)
        tags.file.clear();
    return tags;
}

std::unique_ptr<Disc> discOfCue(const QString& cuePath, const MeasureProgress& progress)
{
    const CueSheet cue = parseCue(cuePath);
    if (cue.files.isEmpty() || cue.tracks.isEmpty())
        return nullptr;
    QList<AudioFile> files;
    for (const QString& name : cue.files)
        files.append(AudioFile{resolve(cuePath, name)});
    if (!measureAll(files, progress))
        return nullptr;

    QList<DiscTrack> tracks;
    for (const CueTrack& t : cue.tracks) {
        if (t.file < 0 || t.indexSectors < 0)
            return nullptr;
        const AudioFile& f = files.at(t.file);
        const qint64 offset = t.indexSectors * kFramesPerSector;
        if (offset >= f.frames)
            return nullptr;
        tracks.append({f.startFrame + offset, 0, true});
    }
    // A track runs to the next one's start, or to the end of its file when
    // the next track begins in another file.
    for (int i = 0; i < tracks.size(); ++i) {
        const AudioFile& f = files.at(cue.tracks.at(i).file);
        const qint64 fileEnd = f.startFrame + f.frames;
        const qint64 next = i + 1 < tracks.size() ? tracks.at(i + 1).startFrame : fileEnd;
        tracks[i].frames = std::min(next, fileEnd) - tracks.at(i).startFrame;
        if (tracks.at(i).frames <= 0)
            return nullptr;
        const bool wholeFile = tracks.at(i).startFrame == f.startFrame &&
                               tracks.at(i).startFrame + tracks.at(i).frames == fileEnd;
        tracks[i].tags = cueTrackTags(cue, cue.tracks.at(i), wholeFile, f.path);
    }
    return std::make_unique<AudioFilesDisc>(std::move(files), std::move(tracks));
}

} // namespace

bool NaturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            // Compare runs of digits by their value: leading zeros aside,
            // the longer run is the larger number.
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a.at(ei).isDigit())
                ++ei;
            while (ej < b.size() && b.at(ej).isDigit())
                ++ej;
            qsizetype si = i;
            qsizetype sj = j;
            while (si + 1 < ei && a.at(si) == u'0')
                ++si;
            while (sj + 1 < ej && b.at(sj) == u'0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            if (const int c =
                    QStringView(a).sliced(si, ei - si).compare(QStringView(b).sliced(sj, ej - sj)))
                return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const QChar ca = a.at(i).toCaseFolded();
        const QChar cb = b.at(j).toCaseFolded();
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b;
}

QStringList AudioFilesInFolder(const QString& folder)
{
    QStringList names;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Readable);
    for (const QFileInfo& e : entries) {
        if (kAudioSuffixes.contains(e.suffix().toLower()))
            names.append(e.fileName());
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    QStringList paths;
    for (const QString& n : names)
        paths.append(QDir(folder).filePath(n));
    return paths;
}

bool CueNamesAudioFiles(const QString& cuePath)
{
    const CueSheet cue = parseCue(cuePath);
    if (cue.fileTypes.isEmpty())
        return false;
    return std::all_of(cue.fileTypes.begin(), cue.fileTypes.end(),
                       [](const QString& t) { return t != u"BINARY"_s && t != u"MOTOROLA"_s; });
}

QStringList CueSheetFiles(const QString& cuePath)
{
    QStringList files;
    for (const QString& name : parseCue(cuePath).files)
        files.append(resolve(cuePath, name));
    return files;
}

QStringList AudioFilesDiscFiles(const QString& name)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix().toLower();
    QStringList files{name};
    if (info.isDir())
        files += AudioFilesInFolder(name);
    else if (suffix == u"m3u"_s || suffix == u"m3u8"_s)
        files += playlistEntries(name);
    else if (suffix == u"cue"_s)
        files += CueSheetFiles(name);
    return files;
}

std::unique_ptr<Disc> OpenAudioFilesDisc(const QString& name, const MeasureProgress& progress)
{
    const QFileInfo info(name);
    if (info.isDir())
        return discOfWholeFiles(AudioFilesInFolder(name), progress, true);
    const QString suffix = info.suffix().toLower();
    if (suffix == u"m3u"_s || suffix == u"m3u8"_s)
        return discOfWholeFiles(playlistEntries(name), progress);
    if (suffix == u"cue"_s)
        return discOfCue(name, progress);
    return discOfWholeFiles({name}, progress);
}

} // namespace verselet
