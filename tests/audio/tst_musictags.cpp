// Tags read from music files and lyrics written into them. ffmpeg (and
// mutagen, for what ffmpeg cannot add) makes the files; mutagen reads back
// what was written (musictags_reader.py), not TagLib.

#include "audio/musictags.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "testfiles.h"

#include <unistd.h>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

const QString kLrc = u"[00:00.00]日本語の歌\n[00:01.50]二行目の歌詞\n[00:02.25]最後\n"_s;
const EmbeddedLyrics kLyrics{kLrc,
                             {{0, u"日本語の歌"_s}, {1500, u"二行目の歌詞"_s}, {2250, u"最後"_s}}};
const QStringList kLyricsKeys{u"sylt"_s, u"uslt"_s, u"lyrics"_s, u"unsyncedlyrics"_s, u"lyr"_s};

// A python3 that has mutagen.
QString python()
{
    static const QString found = testfiles::pythonWith(u"mutagen"_s);
    return found;
}

// What ffmpeg cannot put in: a picture in an Ogg comment, an ID3v2 tag in a
// WAV file, an APE tag, lyrics that are there before ours.
const QString kDecorate = uR"(
import base64, sys, mutagen, mutagen.apev2, mutagen.flac, mutagen.mp4
from mutagen.id3 import ID3, APIC, SYLT, TXXX, USLT
path, how, cover = sys.argv[1:4]
f, image = mutagen.File(path), open(cover, 'rb').read()
if how == 'picture':
    p = mutagen.flac.Picture()
    p.type, p.mime, p.width, p.height, p.depth, p.data = 3, 'image/png', 16, 16, 24, image
    f['metadata_block_picture'] = [base64.b64encode(p.write()).decode('ascii')]
elif how == 'id3':
    f.add_tags()
    f.tags.add(TXXX(encoding=1, desc='comment', text='keepme'))
    f.tags.add(APIC(encoding=1, mime='image/png', type=3, desc='cover', data=image))
elif how == 'ape':  # then an ID3v1 tag after it, which APEv2.save would drop
    ape = mutagen.apev2.APEv2()
    ape['Comment'] = 'apekeep'
    ape.save(path)
    f = mutagen.File(path)
elif isinstance(f.tags, ID3):
    if how == 'old':
        f.tags.add(USLT(encoding=1, lang='jpn', desc='', text='古い歌詞'))
    f.tags.add(SYLT(encoding=1, lang='eng', format=2, type=6, desc='trivia', text=[('old', 0)]))
    f.tags.add(SYLT(encoding=1, lang='jpn', format=2, type=1, desc='', text=[('古い', 0), ('\n歌', 500)]))
elif how == 'old' and not isinstance(f, mutagen.mp4.MP4):
    f['LYRICS'] = '古い歌詞'
if how == 'old-unsynced' or (how == 'old' and hasattr(f.tags, 'vendor')):
    f['UNSYNCEDLYRICS'] = '別の古い歌詞'
elif how == 'old' and isinstance(f, mutagen.mp4.MP4):
    f['\u00a9lyr'] = ['古い歌詞']
version = {'v2_version': 3 if how == 'id3' else f.tags.version[1]} if isinstance(f.tags, ID3) else {}
f.save(path, **version, **({'v1': 2} if how == 'ape' else {}))
)"_s;

struct Form
{
    const char* suffix;
    const char* arguments; // of ffmpeg, after the inputs
    bool picture;          // attached by ffmpeg
    const char* decoration;
};

// Three seconds of a tone in `form`, titled, with a comment and a picture;
// "" when it could not be made.
QString makeMusicFile(const QString& folder, const QString& form, const QString& cover)
{
    static const QHash<QString, Form> forms{
        {u"mp3 ID3v2.3"_s, {"mp3", "-c:a libmp3lame -id3v2_version 3", true, ""}},
        {u"mp3 ID3v2.4"_s, {"mp3", "-c:a libmp3lame -id3v2_version 4", true, ""}},
        {u"mp3 untagged"_s, {"mp3", "-c:a libmp3lame -id3v2_version 0", false, ""}},
        {u"mp3 ID3v1 APE"_s, {"mp3", "-c:a libmp3lame -id3v2_version 3", true, "ape"}},
        {u"flac"_s, {"flac", "", true, ""}},
        {u"ogg vorbis"_s, {"ogg", "-c:a libvorbis", false, "picture"}},
        {u"opus"_s, {"opus", "-c:a libopus -ar 48000", false, "picture"}},
        {u"m4a"_s, {"m4a", "-c:a aac", true, ""}},
        {u"wav"_s, {"wav", "", false, "id3"}},
        {u"aiff"_s, {"aiff", "-write_id3v2 1 -id3v2_version 3", true, ""}},
        {u"wavpack"_s, {"wv", "-c:a wavpack", false, ""}},
    };
    QDir().mkpath(folder);
    const Form f = forms.value(form);
    const QString path = folder + u"/song."_s + QLatin1String(f.suffix);
    QStringList arguments{u"-v"_s, u"error"_s,
                          u"-f"_s, u"lavfi"_s,
                          u"-i"_s, u"sine=frequency=440:duration=3:sample_rate=44100"_s};
    if (f.picture)
        arguments << u"-i"_s << cover << u"-map"_s << u"0:a"_s << u"-map"_s << u"1:v"_s << u"-c:v"_s
                  << u"copy"_s << u"-disposition:v"_s << u"attached_pic"_s;
    for (const char* tag : {"title=題名", "artist=歌手", "album=アルバム", "comment=keepme"})
        arguments << u"-metadata"_s << QString::fromUtf8(tag);
    arguments << QString::fromLatin1(f.arguments).split(u' ', Qt::SkipEmptyParts) << path;
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (testfiles::runProgram(ffmpeg, arguments) == "<failed>")
        return {};
    if (*f.decoration &&
        testfiles::runProgram(python(), {u"-c"_s, kDecorate, path, f.decoration, cover}) != "")
        return {};
    return path;
}

// The reader's view: the lyrics fields alone, or all but them.
QJsonObject mutagenView(const QString& path, bool lyrics)
{
    QJsonObject view =
        QJsonDocument::fromJson(
            testfiles::runProgram(python(), {QFINDTESTDATA("musictags_reader.py"), path}))
            .object();
    QJsonObject part;
    for (auto it = view.begin(); it != view.end(); ++it)
        if (kLyricsKeys.contains(it.key()) == lyrics)
            part.insert(it.key(), it.value());
    return part;
}

QByteArray json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// The lyrics fields as mutagen should find them after kLyrics.
QJsonObject expectedLyrics(const QString& form)
{
    if (form == u"m4a"_s)
        return {{u"lyr"_s, QJsonArray{kLrc}}};
    if (!form.startsWith(u"mp3"_s) && form != u"wav"_s && form != u"aiff"_s)
        return {{u"lyrics"_s, QJsonArray{kLrc}}, {u"unsyncedlyrics"_s, QJsonArray{}}};
    const QJsonArray entries{QJsonArray{0, u"日本語の歌"_s}, QJsonArray{1500, u"二行目の歌詞"_s},
                             QJsonArray{2250, u"最後"_s}};
    const QJsonObject sylt{
        {u"lang"_s, u"und"_s}, {u"format"_s, 2}, {u"type"_s, 1}, {u"entries"_s, entries}};
    return {{u"sylt"_s, QJsonArray{sylt}}, {u"uslt"_s, QJsonArray{QJsonArray{u"und"_s, kLrc}}}};
}

QByteArray probe(const QString& path, const QStringList& arguments)
{
    return testfiles::runProgram(QStandardPaths::findExecutable(arguments.first()), arguments.mid(1)
                                                                                        << path);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// 0 when the lyrics were written, else 10 + the kind of failure; as the user
// "nobody" when `asNobody` (root may write whatever the permissions say).
int writeOutcome(const QString& path, const FileStamp& stamp, bool asNobody)
{
    if (!asNobody) {
        const auto written = WriteLyricsIntoFile(path, kLyrics, stamp);
        return written.ok() ? 0 : 10 + int(written.error().kind);
    }
    QProcess child;
    child.start(QStandardPaths::findExecutable(u"setpriv"_s),
                {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                 QCoreApplication::applicationFilePath(), u"--write"_s, path,
                 QString::number(stamp.size), QString::number(stamp.modified.toMSecsSinceEpoch())});
    return child.waitForFinished(60000) ? child.exitCode() : -1;
}

enum class SetUp
{
    ReadOnlyFile,
    ReadOnlyFolder,
    Touched,
    Appended,
    NotMusic,
    Gone,
    DiskFull
};

} // namespace

class TestMusicTags : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lyricsReplaceWhatIsThereAndNothingElse_data();
    void lyricsReplaceWhatIsThereAndNothingElse();
    void refusalsAndFailuresLeaveTheFile_data();
    void refusalsAndFailuresLeaveTheFile();

private:
    QTemporaryDir m_assets;
    QString m_cover = m_assets.filePath(u"cover.png"_s);
};

void TestMusicTags::initTestCase()
{
    if (QStandardPaths::findExecutable(u"ffmpeg"_s).isEmpty() || python().isEmpty())
        QSKIP("ffmpeg and python3-mutagen are needed; tools/install-deps.sh installs them");
    QCOMPARE(probe(m_cover, {u"ffmpeg"_s, u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                             u"color=c=red:s=16x16:d=1"_s, u"-frames:v"_s, u"1"_s}),
             "");
}

void TestMusicTags::lyricsReplaceWhatIsThereAndNothingElse_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("name");  // the file is renamed to
    QTest::addColumn<QString>("old");   // lyrics put in by mutagen
    QTest::addColumn<QString>("shown"); // by LyricsInFile before
    QTest::addColumn<int>("frameMs");   // TagLib's length is ffprobe's to within a frame
    QTest::addColumn<QString>("id3");   // the ID3v2 version after
    const QString none;
    QTest::newRow("mp3 2.3") << u"mp3 ID3v2.3"_s << none << none << none << 27 << u"2.3"_s;
    QTest::newRow("mp3 2.4, named .flac, USLT and two SYLT")
        << u"mp3 ID3v2.4"_s << u"song.flac"_s << u"old"_s << u"古い歌詞"_s << 27 << u"2.4"_s;
    QTest::newRow("mp3 untagged gets 2.4")
        << u"mp3 untagged"_s << none << none << none << 27 << u"2.4"_s;
    QTest::newRow("mp3 ID3v1 APE, SYLT: lyrics before trivia, one entry a line")
        << u"mp3 ID3v1 APE"_s << none << u"old-sylt"_s << u"古い\n歌"_s << 27 << u"2.3"_s;
    QTest::newRow("flac, LYRICS and UNSYNCEDLYRICS")
        << u"flac"_s << none << u"old"_s << u"古い歌詞"_s << 1 << none;
    QTest::newRow("ogg vorbis") << u"ogg vorbis"_s << none << none << none << 47 << none;
    QTest::newRow("opus, UNSYNCEDLYRICS")
        << u"opus"_s << none << u"old-unsynced"_s << u"別の古い歌詞"_s << 20 << none;
    QTest::newRow("m4a, named .mp3, ©lyr")
        << u"m4a"_s << u"song.mp3"_s << u"old"_s << u"古い歌詞"_s << 24 << none;
    QTest::newRow("wav, ID3v2.3 and INFO") << u"wav"_s << none << none << none << 1 << u"2.3"_s;
    QTest::newRow("aiff, USLT and SYLT")
        << u"aiff"_s << none << u"old"_s << u"古い歌詞"_s << 1 << u"2.3"_s;
    QTest::newRow("wavpack: tags, no lyrics") << u"wavpack"_s << none << none << none << 1 << none;
}

void TestMusicTags::lyricsReplaceWhatIsThereAndNothingElse()
{
    QFETCH(QString, form);
    QFETCH(QString, name);
    QFETCH(QString, old);
    QFETCH(QString, shown);
    QFETCH(int, frameMs);
    QFETCH(QString, id3);
    testfiles::WorkArea area;
    const QString folder = area.filePath(u"music"_s);
    QString path = makeMusicFile(folder, form, m_cover);
    QVERIFY(!path.isEmpty());
    QVERIFY(old.isEmpty() ||
            testfiles::runProgram(python(), {u"-c"_s, kDecorate, path, old, m_cover}) == "");
    if (!name.isEmpty()) {
        QVERIFY(QFile::rename(path, folder + u'/' + name));
        path = folder + u'/' + name;
    }

    const std::optional<MusicTags> tags = ReadMusicTags(path);
    QVERIFY(tags);
    if (form != u"mp3 untagged"_s)
        QCOMPARE(QStringList({tags->title, tags->artist, tags->album}),
                 QStringList({u"題名"_s, u"歌手"_s, u"アルバム"_s}));
    const QByteArray probed =
        probe(path, {u"ffprobe"_s, u"-v"_s, u"error"_s, u"-select_streams"_s, u"a:0"_s,
                     u"-show_entries"_s, u"stream=duration"_s, u"-of"_s, u"csv=p=0"_s});
    QVERIFY2(qAbs(tags->lengthMs - qRound(probed.toDouble() * 1000)) <= frameMs,
             qPrintable(u"%1 ms, ffprobe %2"_s.arg(tags->lengthMs).arg(probed)));
    QCOMPARE(LyricsInFile(path), shown);
    QCOMPARE(CanHoldLyrics(path), form != u"wavpack"_s);
    if (form == u"wavpack"_s)
        return;

    const QStringList before = entries(folder);
    const QStringList audio{u"ffmpeg"_s, u"-v"_s,  u"error"_s, u"-map"_s, u"0:a"_s,
                            u"-f"_s,     u"md5"_s, u"-"_s,     u"-i"_s};
    const QByteArray md5 = probe(path, audio);
    QJsonObject kept = mutagenView(path, false);
    if (kept.value(u"id3version"_s).isNull() && kept.contains(u"id3version"_s))
        kept.insert(u"id3version"_s, id3);
    const auto mode = QFile::Permissions(0x6054); // rw-r-xr--
    QVERIFY(QFile::setPermissions(path, mode));

    const auto written = WriteLyricsIntoFile(path, kLyrics, StampOf(path));
    QVERIFY2(written.ok(), qPrintable(written.error().detail));
    QCOMPARE(json(mutagenView(path, true)), json(expectedLyrics(form)));
    QCOMPARE(LyricsInFile(path), kLrc);
    QCOMPARE(json(mutagenView(path, false)), json(kept));
    QCOMPARE(mutagenView(path, false).value(u"id3version"_s).toString(), id3);
    QCOMPARE(probe(path, audio), md5);
    QCOMPARE(entries(folder), before);
    QCOMPARE(QFile::permissions(path) & QFile::Permissions(0x7077), mode);
}

void TestMusicTags::refusalsAndFailuresLeaveTheFile_data()
{
    QTest::addColumn<SetUp>("setUp");
    QTest::addColumn<LyricsWriteError>("error");
    QTest::newRow("read-only file") << SetUp::ReadOnlyFile << LyricsWriteError::ReadOnly;
    QTest::newRow("read-only folder") << SetUp::ReadOnlyFolder << LyricsWriteError::ReadOnly;
    QTest::newRow("touched since opened") << SetUp::Touched << LyricsWriteError::Changed;
    QTest::newRow("grown, same time") << SetUp::Appended << LyricsWriteError::Changed;
    QTest::newRow("a text named .mp3") << SetUp::NotMusic << LyricsWriteError::NotSupported;
    QTest::newRow("gone with its folder") << SetUp::Gone << LyricsWriteError::Unreadable;
    QTest::newRow("disk full part-way") << SetUp::DiskFull << LyricsWriteError::WriteFailed;
}

void TestMusicTags::refusalsAndFailuresLeaveTheFile()
{
    QFETCH(SetUp, setUp);
    QFETCH(LyricsWriteError, error);
    testfiles::WorkArea area;
    const QString folder = area.filePath(u"music"_s);
    QString path = makeMusicFile(folder, u"flac"_s, m_cover);
    QVERIFY(!path.isEmpty());
    if (setUp == SetUp::NotMusic)
        testfiles::writeBytes(path = folder + u"/notes.mp3"_s, QByteArray("notes\n").repeated(900));
    const FileStamp stamp = StampOf(path);
    const bool asNobody =
        (setUp == SetUp::ReadOnlyFile || setUp == SetUp::ReadOnlyFolder) && geteuid() == 0;
    if (asNobody && QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
        QSKIP("setpriv (util-linux) is needed to drop root's privileges");
    // Open to "nobody", whose refusal is then the permission under test.
    QVERIFY(QFile::setPermissions(area.path(), QFile::Permissions(0x7755)));
    QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7777)));
    QFile file(path);
    switch (setUp) {
    case SetUp::ReadOnlyFile:
        QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x4444)));
        break;
    case SetUp::ReadOnlyFolder:
        QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));
        break;
    case SetUp::Appended:
        QVERIFY(file.open(QIODevice::Append) && file.write("x") == 1 && file.flush());
        [[fallthrough]];
    case SetUp::Touched:
        QVERIFY(file.isOpen() || file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(stamp.modified.addSecs(setUp == SetUp::Touched ? 2 : 0),
                                 QFileDevice::FileModificationTime));
        file.close();
        break;
    case SetUp::Gone:
        QVERIFY(QDir(folder).removeRecursively());
        break;
    default:
        break;
    }
    const QByteArray bytes = testfiles::readBytes(path);
    const QStringList before = entries(folder);
    int outcome = -1;
    {
        // As on a disk that fills up: the new file cannot be written whole.
        std::optional<testfiles::FileSizeLimit> limit;
        if (setUp == SetUp::DiskFull)
            limit.emplace(rlim_t(bytes.size() / 2));
        outcome = writeOutcome(path, stamp, asNobody);
    }
    QFile::setPermissions(folder, QFile::Permissions(0x7755));
    QCOMPARE(outcome, 10 + int(error));
    QCOMPARE(testfiles::readBytes(path), bytes);
    QCOMPARE(entries(folder), before);
}

int main(int argc, char* argv[])
{
    // The child that writes as "nobody": --write PATH SIZE MSECS.
    if (argc == 5 && qstrcmp(argv[1], "--write") == 0)
        return writeOutcome(QString::fromLocal8Bit(argv[2]),
                            {QByteArray(argv[3]).toLongLong(),
                             QDateTime::fromMSecsSinceEpoch(QByteArray(argv[4]).toLongLong())},
                            false);
    QCoreApplication app(argc, argv);
    TestMusicTags test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_musictags.moc"
