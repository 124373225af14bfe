#include "audio/discaudiodevice.h"
#include "audio/musictags.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "discfixtures.h"

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

constexpr int kWav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
constexpr int kFlac = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;

// What a test expects of a track's tags: its title, artist and album, and
// whether the track is its audio file, whole.
struct Expected
{
    QString title;
    QString artist;
    QString album;
    bool wholeFile = false;
    friend bool operator==(const Expected&, const Expected&) = default;
    friend char* toString(const Expected& e)
    {
        return QTest::toString(u"(%1 / %2 / %3%4)"_s.arg(
            e.title, e.artist, e.album, e.wholeFile ? u", the file"_s : QString()));
    }
};

// The disc's CD-Text as a cue sheet writes it: the disc's and each track's lines.
const QString kCdText = uR"(PERFORMER "ディスクの歌手"
TITLE "アルバム"
FILE "disc.bin" BINARY
  TRACK 01 AUDIO
    TITLE "朝の窓"
    PERFORMER "歌手A"
    INDEX 01 00:00:00
  TRACK 02 AUDIO
    TITLE "Second"
    INDEX 01 00:02:00
)"_s;

} // namespace

class TestTrackTags : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void tracksCarryWhatTheDiscSaysOfThem_data();
    void tracksCarryWhatTheDiscSaysOfThem();

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestTrackTags::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // libcdio looks for an image's data beside its cue sheet, by the sheet's
    // own name.
    const auto image = [this](const QString& base, const QByteArray& cue) {
        return !fixtures::writeBinCue(m_dir.path(), {150, 150}, base).isEmpty() &&
               fixtures::writeText(
                   path(base + u".cue"_s),
                   QByteArray(cue).replace("disc.bin", (base + u".bin"_s).toUtf8()));
    };
    QVERIFY(image(u"utf8"_s, kCdText.toUtf8()));
    QVERIFY(image(u"sjis"_s, QStringEncoder("Shift_JIS").encode(kCdText)));
    QVERIFY(image(u"latin1"_s, "TITLE \"Caf\xe9\"\nFILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n"
                               "    INDEX 01 00:00:00\n"));

    QVERIFY(fixtures::writeAudio(path(u"rip.wav"_s), 44100 * 4, kWav));
    QVERIFY(fixtures::writeText(
        path(u"rip.cue"_s),
        QString(kCdText).replace(u"\"disc.bin\" BINARY"_s, u"\"rip.wav\" WAVE"_s).toUtf8()));
    // Tags of its own in each file; the cue sheet's lines come first.
    QVERIFY(QDir().mkpath(path(u"album"_s)));
    for (const auto& [name, title] :
         {std::pair{u"1.flac"_s, u"一曲目"_s}, {u"2.flac"_s, QString()}}) {
        SF_INFO info{0, 44100, 2, kFlac, 0, 0};
        SNDFILE* f =
            sf_open(QFile::encodeName(path(u"album/"_s + name)).constData(), SFM_WRITE, &info);
        QVERIFY(f);
        if (!title.isEmpty())
            sf_set_string(f, SF_STR_TITLE, title.toUtf8().constData());
        sf_set_string(f, SF_STR_ARTIST, "歌手");
        sf_set_string(f, SF_STR_ALBUM, "盤");
        std::vector<short> silence(44100 * 2);
        QCOMPARE(sf_writef_short(f, silence.data(), 44100), 44100);
        sf_close(f);
    }
    // libsndfile writes an MP3's tags as UTF-8 in frames that say Latin-1.
    QVERIFY(QDir().mkpath(path(u"mp3"_s)));
    QVERIFY(fixtures::writeAudio(path(u"mp3/song.mp3"_s), 44100,
                                 SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, false,
                                 {u"朝の窓"_s, u"歌手"_s, u"盤"_s}));
    QVERIFY(fixtures::writeText(path(u"album/titled.cue"_s),
                                "FILE \"1.flac\" FLAC\n  TRACK 01 AUDIO\n    TITLE \"表題\"\n"
                                "    INDEX 01 00:00:00\n"
                                "FILE \"2.flac\" FLAC\n  TRACK 02 AUDIO\n    INDEX 01 00:00:00\n"));
}

void TestTrackTags::tracksCarryWhatTheDiscSaysOfThem_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QList<Expected>>("tracks");

    const QList<Expected> cdText{{u"朝の窓"_s, u"歌手A"_s, u"アルバム"_s},
                                 {u"Second"_s, u"ディスクの歌手"_s, u"アルバム"_s}};
    QTest::newRow("an image's CD-Text, a UTF-8 cue sheet") << path(u"utf8.cue"_s) << cdText;
    QTest::newRow("an image's CD-Text, a Shift-JIS cue sheet") << path(u"sjis.cue"_s) << cdText;
    QTest::newRow("an image's CD-Text in Latin-1")
        << path(u"latin1.cue"_s) << QList<Expected>{{QString(), QString(), u"Café"_s}};
    QTest::newRow("a cue sheet cutting one file: no track is the file")
        << path(u"rip.cue"_s) << cdText;
    QTest::newRow("a folder: each file's tags, each track its file")
        << path(u"album"_s)
        << QList<Expected>{{u"一曲目"_s, u"歌手"_s, u"盤"_s, true},
                           {QString(), u"歌手"_s, u"盤"_s, true}};
    QTest::newRow("an MP3's ID3 text that says Latin-1 but is UTF-8")
        << path(u"mp3"_s) << QList<Expected>{{u"朝の窓"_s, u"歌手"_s, u"盤"_s, true}};
    QTest::newRow("a cue sheet of whole files: its TITLE first, then the file's")
        << path(u"album/titled.cue"_s)
        << QList<Expected>{{u"表題"_s, u"歌手"_s, u"盤"_s, true},
                           {QString(), u"歌手"_s, u"盤"_s, true}};
}

void TestTrackTags::tracksCarryWhatTheDiscSaysOfThem()
{
    QFETCH(QString, name);
    QFETCH(QList<Expected>, tracks);
    const std::shared_ptr<const Disc> disc = OpenDisc(name);
    QVERIFY(disc);
    QList<Expected> seen;
    for (const DiscTrack& track : disc->tracks()) {
        const TrackTags& tags = track.tags;
        seen.append({tags.title, tags.artist, tags.album, !tags.file.isEmpty()});
        // The file as it stood when the disc was read, to tell a change by.
        if (!tags.file.isEmpty())
            QCOMPARE((FileStamp{tags.fileSize, tags.fileModified}), StampOf(tags.file));
    }
    QCOMPARE(seen, tracks);
}

QTEST_GUILESS_MAIN(TestTrackTags)
#include "tst_tracktags.moc"
