// Tags read from music files and lyrics written into them. The files are made
// here by ffmpeg (and mutagen, for what ffmpeg cannot add), and what the
// program wrote is read back by mutagen (musictags_reader.py), not by TagLib.

#include "audio/musictags.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "testfiles.h"

#include <unistd.h>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

const QString kLrc = u"[00:00.00]日本語の歌\n[00:01.50]二行目の歌詞\n[00:02.25]最後\n"_s;
const QList<SyncedText> kSynced{{0, u"日本語の歌"_s}, {1500, u"二行目の歌詞"_s}, {2250, u"最後"_s}};
// The lyrics fields mutagen's reader reports; everything else is to be kept.
const QStringList kLyricsKeys{u"sylt"_s, u"uslt"_s, u"lyrics"_s, u"unsyncedlyrics"_s, u"lyr"_s};

struct Run
{
    int exitCode = -1;
    QByteArray out;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), p.readAllStandardOutput()};
}

// A python3 that has mutagen: the one on PATH, else the system's.
QString mutagenPython()
{
    static const QString found = [] {
        for (const QString& python :
             {QStandardPaths::findExecutable(u"python3"_s), u"/usr/bin/python3"_s})
            if (!python.isEmpty() && run(python, {u"-c"_s, u"import mutagen"_s}).exitCode == 0)
                return python;
        return QString();
    }();
    return found;
}

QString ffmpeg()
{
    return QStandardPaths::findExecutable(u"ffmpeg"_s);
}

// What ffmpeg cannot put in: a picture in an Ogg file's comment, an ID3v2
// tag in a WAV file, an APE tag, lyrics that are there before ours.
const QString kDecorate = uR"(
import base64, sys, mutagen, mutagen.apev2, mutagen.flac
from mutagen.id3 import ID3, APIC, SYLT, TXXX, USLT
path, how, cover = sys.argv[1:4]
f = mutagen.File(path)
if how == 'vorbis-picture':
    p = mutagen.flac.Picture()
    p.type, p.mime, p.desc, p.width, p.height, p.depth = 3, 'image/png', 'cover', 16, 16, 24
    p.data = open(cover, 'rb').read()
    f['metadata_block_picture'] = [base64.b64encode(p.write()).decode('ascii')]
    f.save()
elif how == 'id3':
    f.add_tags()
    f.tags.add(TXXX(encoding=1, desc='comment', text='keepme'))
    f.tags.add(APIC(encoding=1, mime='image/png', type=3, desc='cover', data=open(cover, 'rb').read()))
    f.save(v2_version=3)
elif how == 'ape':
    ape = mutagen.apev2.APEv2()
    ape['Comment'] = 'apekeep'
    ape.save(path)
elif how in ('old-lyrics', 'old-sylt') and isinstance(f.tags, ID3):
    if how == 'old-lyrics':
        f.tags.add(USLT(encoding=1, lang='jpn', desc='', text='古い歌詞'))
    f.tags.add(SYLT(encoding=1, lang='jpn', format=2, type=1, desc='', text=[('古い', 0), ('\n歌', 500)]))
    f.tags.add(SYLT(encoding=1, lang='eng', format=2, type=6, desc='trivia', text=[('old', 0)]))
    f.save(v2_version=f.tags.version[1])
elif how == 'old-lyrics' and f.tags is not None and hasattr(f.tags, 'vendor'):
    f['LYRICS'] = '古い歌詞'
    f['UNSYNCEDLYRICS'] = '別の古い歌詞'
    f.save()
elif how == 'old-unsynced':
    f['UNSYNCEDLYRICS'] = '別の古い歌詞'
    f.save()
elif how == 'old-lyrics':
    f['\u00a9lyr'] = ['古い歌詞']
    f.save()
)"_s;

struct Form
{
    QString suffix;
    QStringList arguments;   // of ffmpeg, after its inputs
    bool picture = true;     // attached by ffmpeg
    QString decoration = {}; // by kDecorate
    int sampleRate = 44100;
};

// The forms the tests make: a name for a row, what ffmpeg is told.
Form formNamed(const QString& name)
{
    static const QHash<QString, Form> forms{
        {u"mp3 ID3v2.3"_s, {u"mp3"_s, {u"-c:a"_s, u"libmp3lame"_s, u"-id3v2_version"_s, u"3"_s}}},
        {u"mp3 ID3v2.4"_s, {u"mp3"_s, {u"-c:a"_s, u"libmp3lame"_s, u"-id3v2_version"_s, u"4"_s}}},
        {u"mp3 without tags"_s,
         {u"mp3"_s, {u"-c:a"_s, u"libmp3lame"_s, u"-id3v2_version"_s, u"0"_s}, false}},
        {u"mp3 ID3v1 APE"_s,
         {u"mp3"_s,
          {u"-c:a"_s, u"libmp3lame"_s, u"-id3v2_version"_s, u"3"_s, u"-write_id3v1"_s, u"1"_s},
          true,
          u"ape"_s}},
        {u"flac"_s, {u"flac"_s, {}}},
        {u"ogg vorbis"_s, {u"ogg"_s, {u"-c:a"_s, u"libvorbis"_s}, false, u"vorbis-picture"_s}},
        {u"opus"_s, {u"opus"_s, {u"-c:a"_s, u"libopus"_s}, false, u"vorbis-picture"_s, 48000}},
        {u"m4a"_s, {u"m4a"_s, {u"-c:a"_s, u"aac"_s}}},
        {u"wav"_s, {u"wav"_s, {}, false, u"id3"_s}},
        {u"aiff"_s, {u"aiff"_s, {u"-write_id3v2"_s, u"1"_s, u"-id3v2_version"_s, u"3"_s}}},
        {u"wavpack"_s, {u"wv"_s, {u"-c:a"_s, u"wavpack"_s}, false}},
    };
    return forms.value(name);
}

QString decorate(const QString& path, const QString& how, const QString& cover)
{
    return run(mutagenPython(), {u"-c"_s, kDecorate, path, how, cover}).exitCode == 0 ? path
                                                                                      : QString();
}

// Three seconds of a tone as `form` in `folder`, titled, with a comment and
// a picture; "" when it could not be made.
QString makeMusicFile(const QString& folder, const QString& name, const QString& cover)
{
    const Form form = formNamed(name);
    const QString path = folder + u"/song."_s + form.suffix;
    QStringList arguments{
        u"-hide_banner"_s, u"-loglevel"_s,
        u"error"_s,        u"-y"_s,
        u"-f"_s,           u"lavfi"_s,
        u"-i"_s,           u"sine=frequency=440:duration=3:sample_rate=%1"_s.arg(form.sampleRate)};
    if (form.picture)
        arguments << u"-i"_s << cover << u"-map"_s << u"0:a"_s << u"-map"_s << u"1:v"_s << u"-c:v"_s
                  << u"copy"_s << u"-disposition:v"_s << u"attached_pic"_s;
    if (name != u"mp3 without tags"_s)
        arguments << u"-metadata"_s << u"title=題名"_s << u"-metadata"_s << u"artist=歌手"_s
                  << u"-metadata"_s << u"album=アルバム"_s << u"-metadata"_s << u"comment=keepme"_s;
    arguments << form.arguments << path;
    if (run(ffmpeg(), arguments).exitCode != 0)
        return {};
    return form.decoration.isEmpty() ? path : decorate(path, form.decoration, cover);
}

QJsonObject mutagenView(const QString& path)
{
    const QString reader = QFINDTESTDATA("musictags_reader.py");
    const Run r = run(mutagenPython(), {reader, path});
    return r.exitCode == 0 ? QJsonDocument::fromJson(r.out).object() : QJsonObject();
}

QJsonObject withoutLyrics(QJsonObject view)
{
    for (const QString& key : kLyricsKeys)
        view.remove(key);
    return view;
}

QByteArray decodedAudio(const QString& path)
{
    return run(ffmpeg(),
               {u"-v"_s, u"error"_s, u"-i"_s, path, u"-map"_s, u"0:a"_s, u"-f"_s, u"md5"_s, u"-"_s})
        .out;
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The owner's, group's and others' permissions (not this user's, which for
// root has every bit).
QFile::Permissions modeOf(const QString& path)
{
    return QFile::permissions(path) & QFile::Permissions(0x7077);
}

// The audio stream's duration as ffprobe reads the container, in ms.
int probedLengthMs(const QString& path)
{
    const Run r = run(QStandardPaths::findExecutable(u"ffprobe"_s),
                      {u"-v"_s, u"error"_s, u"-select_streams"_s, u"a:0"_s, u"-show_entries"_s,
                       u"stream=duration"_s, u"-of"_s, u"csv=p=0"_s, path});
    bool ok = false;
    const double seconds = r.out.trimmed().toDouble(&ok);
    return ok ? qRound(seconds * 1000) : -1;
}

bool isId3Form(const QJsonObject& view)
{
    return view.contains(u"id3version"_s);
}

// The lyrics fields as the reader should find them after kLrc and kSynced.
QJsonObject expectedLyrics(const QJsonObject& view)
{
    if (isId3Form(view)) {
        const QJsonArray entries{QJsonArray{0, u"日本語の歌"_s},
                                 QJsonArray{1500, u"二行目の歌詞"_s}, QJsonArray{2250, u"最後"_s}};
        const QJsonObject sylt{
            {u"lang"_s, u"und"_s}, {u"format"_s, 2}, {u"type"_s, 1}, {u"entries"_s, entries}};
        return {{u"sylt"_s, QJsonArray{sylt}}, {u"uslt"_s, QJsonArray{QJsonArray{u"und"_s, kLrc}}}};
    }
    if (view.value(u"kind"_s) == u"MP4"_s)
        return {{u"lyr"_s, QJsonArray{kLrc}}};
    return {{u"lyrics"_s, QJsonArray{kLrc}}, {u"unsyncedlyrics"_s, QJsonArray{}}};
}

QJsonObject lyricsPart(const QJsonObject& view)
{
    QJsonObject part;
    for (const QString& key : kLyricsKeys)
        if (view.contains(key))
            part.insert(key, view.value(key));
    return part;
}

QByteArray json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

enum class RefusalSetUp
{
    ReadOnlyFile,
    ReadOnlyFolder,
    Touched,
    Appended,
    NotMusic,
    Missing
};

void setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

// 0 when the lyrics were written, else 10 + the kind of failure.
int writeOutcome(const QString& path, const FileStamp& stamp)
{
    const auto written = WriteLyricsIntoFile(path, {kLrc, kSynced}, stamp);
    return written.ok() ? 0 : 10 + int(written.error().kind);
}

// The same, written by this program again as the user "nobody": root may
// write any file, whatever its permissions say.
int writeOutcomeAsNobody(const QString& path, const FileStamp& stamp)
{
    QProcess child;
    child.start(QStandardPaths::findExecutable(u"setpriv"_s),
                {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                 QCoreApplication::applicationFilePath(), u"--write"_s, path,
                 QString::number(stamp.size), QString::number(stamp.modified.toMSecsSinceEpoch())});
    return child.waitForFinished(60000) && child.exitStatus() == QProcess::NormalExit
               ? child.exitCode()
               : -1;
}

} // namespace

Q_DECLARE_METATYPE(RefusalSetUp)

class TestMusicTags : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void tagsAreRead_data();
    void tagsAreRead();
    void lyricsGoInAndNothingElseChanges_data();
    void lyricsGoInAndNothingElseChanges();
    void lyricsThereAreShownAndReplaced_data();
    void lyricsThereAreShownAndReplaced();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
    void failedWriteLeavesTheOriginal_data();
    void failedWriteLeavesTheOriginal();

private:
    QString makeFile(const QString& folder, const QString& form);
    QTemporaryDir m_assets;
    QString m_cover;
};

void TestMusicTags::initTestCase()
{
    if (ffmpeg().isEmpty())
        QSKIP("ffmpeg is not installed; tools/install-deps.sh installs it");
    if (mutagenPython().isEmpty())
        QSKIP("python3 with mutagen is not installed; tools/install-deps.sh installs it");
    m_cover = m_assets.filePath(u"cover.png"_s);
    QCOMPARE(run(ffmpeg(), {u"-v"_s, u"error"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                            u"color=c=red:s=16x16:d=1"_s, u"-frames:v"_s, u"1"_s, m_cover})
                 .exitCode,
             0);
}

QString TestMusicTags::makeFile(const QString& folder, const QString& form)
{
    QDir().mkpath(folder);
    return makeMusicFile(folder, form, m_cover);
}

void TestMusicTags::tagsAreRead_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("renamedTo");
    // TagLib's length is the container's, as ffprobe's, to within a frame
    // (an MP3's or an AAC's includes the encoder's delay and padding).
    QTest::addColumn<int>("frameMs");
    QTest::addColumn<bool>("canHoldLyrics");
    QTest::newRow("mp3") << u"mp3 ID3v2.4"_s << QString() << 27 << true;
    QTest::newRow("mp3 named .flac") << u"mp3 ID3v2.3"_s << u"song.flac"_s << 27 << true;
    QTest::newRow("flac") << u"flac"_s << QString() << 1 << true;
    QTest::newRow("ogg vorbis") << u"ogg vorbis"_s << QString() << 47 << true;
    QTest::newRow("opus") << u"opus"_s << QString() << 20 << true;
    QTest::newRow("m4a") << u"m4a"_s << QString() << 24 << true;
    QTest::newRow("m4a named .mp3") << u"m4a"_s << u"song.mp3"_s << 24 << true;
    QTest::newRow("wav, title in its INFO chunk") << u"wav"_s << QString() << 1 << true;
    QTest::newRow("aiff") << u"aiff"_s << QString() << 1 << true;
    QTest::newRow("wavpack: tags but no lyrics") << u"wavpack"_s << QString() << 1 << false;
}

void TestMusicTags::tagsAreRead()
{
    QFETCH(QString, form);
    QFETCH(QString, renamedTo);
    QFETCH(int, frameMs);
    QFETCH(bool, canHoldLyrics);
    testfiles::WorkArea area;
    QString path = makeFile(area.filePath(u"music"_s), form);
    QVERIFY(!path.isEmpty());
    if (!renamedTo.isEmpty()) {
        const QString renamed = area.filePath(u"music/"_s + renamedTo);
        QVERIFY(QFile::rename(path, renamed));
        path = renamed;
    }
    const std::optional<MusicTags> tags = ReadMusicTags(path);
    QVERIFY(tags);
    QCOMPARE(tags->title, u"題名"_s);
    QCOMPARE(tags->artist, u"歌手"_s);
    QCOMPARE(tags->album, u"アルバム"_s);
    const int probed = probedLengthMs(path);
    QVERIFY2(qAbs(tags->lengthMs - probed) <= frameMs,
             qPrintable(u"%1 ms, ffprobe %2 ms"_s.arg(tags->lengthMs).arg(probed)));
    QCOMPARE(CanHoldLyrics(path), canHoldLyrics);
    QCOMPARE(LyricsInFile(path), QString());

    // Not music at all, whatever its name says.
    const QString text = area.filePath(u"music/notes.mp3"_s);
    testfiles::writeBytes(text, QByteArray("just some notes\n").repeated(200));
    QVERIFY(!ReadMusicTags(text));
    QVERIFY(!CanHoldLyrics(text));
}

void TestMusicTags::lyricsGoInAndNothingElseChanges_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("id3Version"); // after; "" for a form without ID3v2
    QTest::newRow("mp3 ID3v2.3") << u"mp3 ID3v2.3"_s << u"2.3"_s;
    QTest::newRow("mp3 ID3v2.4") << u"mp3 ID3v2.4"_s << u"2.4"_s;
    QTest::newRow("mp3 without tags gets ID3v2.4") << u"mp3 without tags"_s << u"2.4"_s;
    QTest::newRow("mp3 with ID3v1 and APE tags") << u"mp3 ID3v1 APE"_s << u"2.3"_s;
    QTest::newRow("flac") << u"flac"_s << QString();
    QTest::newRow("ogg vorbis") << u"ogg vorbis"_s << QString();
    QTest::newRow("opus") << u"opus"_s << QString();
    QTest::newRow("m4a") << u"m4a"_s << QString();
    QTest::newRow("wav with ID3v2.3 and INFO") << u"wav"_s << u"2.3"_s;
    QTest::newRow("aiff") << u"aiff"_s << u"2.3"_s;
}

void TestMusicTags::lyricsGoInAndNothingElseChanges()
{
    QFETCH(QString, form);
    QFETCH(QString, id3Version);
    testfiles::WorkArea area;
    const QString folder = area.filePath(u"music"_s);
    const QString path = makeFile(folder, form);
    QVERIFY(!path.isEmpty());
    const QJsonObject before = mutagenView(path);
    QVERIFY(!before.isEmpty());
    const QByteArray audio = decodedAudio(path);
    QVERIFY(audio.startsWith("MD5="));
    const QStringList entries = folderEntries(folder);
    const QFile::Permissions permissions = modeOf(path) | QFile::ExeGroup;
    QVERIFY(QFile::setPermissions(path, permissions));

    const auto written = WriteLyricsIntoFile(path, {kLrc, kSynced}, StampOf(path));
    QVERIFY2(written.ok(), qPrintable(written.error().detail));

    const QJsonObject after = mutagenView(path);
    QCOMPARE(json(lyricsPart(after)), json(expectedLyrics(after)));
    QCOMPARE(LyricsInFile(path), kLrc);
    // Every other tag, picture, ID3v1 or APE tag and INFO chunk as it was,
    // the ID3v2 version too, unless the file had no ID3v2 tag.
    QJsonObject kept = withoutLyrics(before);
    if (isId3Form(before) && before.value(u"id3version"_s).isNull())
        kept.insert(u"id3version"_s, id3Version);
    QCOMPARE(json(withoutLyrics(after)), json(kept));
    QCOMPARE(after.value(u"id3version"_s).toString(), id3Version);
    QCOMPARE(decodedAudio(path), audio);
    QCOMPARE(folderEntries(folder), entries);
    QCOMPARE(modeOf(path), permissions);
}

void TestMusicTags::lyricsThereAreShownAndReplaced_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("old"); // put in by mutagen
    QTest::addColumn<QString>("shown");
    QTest::newRow("mp3: USLT and two SYLT") << u"mp3 ID3v2.3"_s << u"old-lyrics"_s << u"古い歌詞"_s;
    QTest::newRow("mp3: SYLT only, lyrics before trivia, one entry a line")
        << u"mp3 ID3v2.4"_s << u"old-sylt"_s << u"古い\n歌"_s;
    QTest::newRow("aiff: USLT and SYLT") << u"aiff"_s << u"old-lyrics"_s << u"古い歌詞"_s;
    QTest::newRow("flac: LYRICS and UNSYNCEDLYRICS")
        << u"flac"_s << u"old-lyrics"_s << u"古い歌詞"_s;
    QTest::newRow("opus: UNSYNCEDLYRICS only")
        << u"opus"_s << u"old-unsynced"_s << u"別の古い歌詞"_s;
    QTest::newRow("m4a") << u"m4a"_s << u"old-lyrics"_s << u"古い歌詞"_s;
}

void TestMusicTags::lyricsThereAreShownAndReplaced()
{
    QFETCH(QString, form);
    QFETCH(QString, old);
    QFETCH(QString, shown);
    testfiles::WorkArea area;
    const QString path = makeFile(area.filePath(u"music"_s), form);
    QVERIFY(!path.isEmpty());
    QVERIFY(!decorate(path, old, m_cover).isEmpty());
    QCOMPARE(LyricsInFile(path), shown);

    const auto written = WriteLyricsIntoFile(path, {kLrc, kSynced}, StampOf(path));
    QVERIFY2(written.ok(), qPrintable(written.error().detail));
    const QJsonObject after = mutagenView(path);
    QCOMPARE(json(lyricsPart(after)), json(expectedLyrics(after)));
    QCOMPARE(LyricsInFile(path), kLrc);
}

void TestMusicTags::refusalsWriteNothing_data()
{
    QTest::addColumn<RefusalSetUp>("setUp");
    QTest::addColumn<LyricsWriteError>("error");
    QTest::newRow("read-only file") << RefusalSetUp::ReadOnlyFile << LyricsWriteError::ReadOnly;
    QTest::newRow("read-only folder") << RefusalSetUp::ReadOnlyFolder << LyricsWriteError::ReadOnly;
    QTest::newRow("touched since opened") << RefusalSetUp::Touched << LyricsWriteError::Changed;
    QTest::newRow("grown since opened, same time")
        << RefusalSetUp::Appended << LyricsWriteError::Changed;
    QTest::newRow("a text named .mp3") << RefusalSetUp::NotMusic << LyricsWriteError::NotSupported;
    QTest::newRow("gone with its folder") << RefusalSetUp::Missing << LyricsWriteError::Unreadable;
}

void TestMusicTags::refusalsWriteNothing()
{
    QFETCH(RefusalSetUp, setUp);
    QFETCH(LyricsWriteError, error);
    testfiles::WorkArea area;
    const QString folder = area.filePath(u"music"_s);
    QString path = makeFile(folder, u"mp3 ID3v2.3"_s);
    QVERIFY(!path.isEmpty());
    if (setUp == RefusalSetUp::NotMusic) {
        path = folder + u"/notes.mp3"_s;
        testfiles::writeBytes(path, QByteArray("just some notes\n").repeated(200));
    }
    const FileStamp stamp = StampOf(path);
    const bool permissions =
        setUp == RefusalSetUp::ReadOnlyFile || setUp == RefusalSetUp::ReadOnlyFolder;
    // Open to the user "nobody", who is made to write where root would not
    // be refused.
    QVERIFY(QFile::setPermissions(area.path(), QFile::permissions(area.path()) | QFile::ExeOther));
    const auto everyone = QFile::Permissions(0x7777);
    const auto readAndEnter = QFile::Permissions(0x5555);
    switch (setUp) {
    case RefusalSetUp::ReadOnlyFile:
        QVERIFY(QFile::setPermissions(folder, everyone));
        QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x4444)));
        break;
    case RefusalSetUp::ReadOnlyFolder:
        QVERIFY(QFile::setPermissions(path, QFile::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(folder, readAndEnter));
        break;
    case RefusalSetUp::Touched:
        setModified(path, stamp.modified.addSecs(2));
        break;
    case RefusalSetUp::Appended: {
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        QCOMPARE(f.write("x"), 1);
        f.close();
        setModified(path, stamp.modified);
        break;
    }
    case RefusalSetUp::NotMusic:
        break;
    case RefusalSetUp::Missing:
        QVERIFY(QDir(folder).removeRecursively());
        break;
    }
    const QByteArray bytes = testfiles::readBytes(path);
    const QStringList entries = folderEntries(folder);

    int outcome = -1;
    if (permissions && geteuid() == 0) {
        if (QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
            QSKIP("setpriv (util-linux) is needed to drop root's privileges");
        outcome = writeOutcomeAsNobody(path, stamp);
    } else {
        outcome = writeOutcome(path, stamp);
    }
    QFile::setPermissions(folder, readAndEnter | QFile::WriteOwner);
    QCOMPARE(outcome, 10 + int(error));
    QCOMPARE(testfiles::readBytes(path), bytes);
    QCOMPARE(folderEntries(folder), entries);
}

void TestMusicTags::failedWriteLeavesTheOriginal_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("mp3") << u"mp3 ID3v2.4"_s;
    QTest::newRow("flac") << u"flac"_s;
    QTest::newRow("m4a") << u"m4a"_s;
}

void TestMusicTags::failedWriteLeavesTheOriginal()
{
    QFETCH(QString, form);
    testfiles::WorkArea area;
    const QString folder = area.filePath(u"music"_s);
    const QString path = makeFile(folder, form);
    QVERIFY(!path.isEmpty());
    const QByteArray bytes = testfiles::readBytes(path);
    const QStringList entries = folderEntries(folder);
    LyricsWriteError kind = LyricsWriteError::NotSupported;
    {
        // As on a disk that fills up: the copy with the lyrics stops part-way.
        testfiles::FileSizeLimit limit(rlim_t(bytes.size() / 2));
        QVERIFY(limit.isSet());
        const auto written = WriteLyricsIntoFile(path, {kLrc, kSynced}, StampOf(path));
        QVERIFY(!written.ok());
        kind = written.error().kind;
    }
    QCOMPARE(kind, LyricsWriteError::WriteFailed);
    QCOMPARE(testfiles::readBytes(path), bytes);
    QCOMPARE(folderEntries(folder), entries);
}

int main(int argc, char* argv[])
{
    // The child that writes as another user: --write PATH SIZE MSECS.
    if (argc == 5 && qstrcmp(argv[1], "--write") == 0) {
        const FileStamp stamp{QByteArray(argv[3]).toLongLong(),
                              QDateTime::fromMSecsSinceEpoch(QByteArray(argv[4]).toLongLong())};
        return writeOutcome(QString::fromLocal8Bit(argv[2]), stamp);
    }
    QCoreApplication app(argc, argv);
    TestMusicTags test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_musictags.moc"
