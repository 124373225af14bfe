#include "document/subtitles.h"
#include "document/ttmlform.h"

#include "testfiles.h"
#include "timedlines.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

using namespace timedlines;

const QString kOpen = u"<tt xmlns=\"http://www.w3.org/ns/ttml\" "
                      u"xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\" "
                      u"xmlns:tts=\"http://www.w3.org/ns/ttml#styling\">"_s;

SubtitleSource SampleSong()
{
    SubtitleSource source =
        Song({Line(3000, u"Hello world"_s, Words(u"Hello world"_s, {0, 6}, {3000, 3500}, 4200)),
              Line(5000, u"世界は"_s,
                   Words(u"世界は"_s, {0, 2}, {5000, 5300, 5600, 6000}, 6500,
                         {Reading{0, 2, u"せかい"_s, {0, 1, 2}}})),
              Line(8000, u"終わり"_s)},
             12000, u"（前奏）"_s);
    source.song.title = u"夜明け & <歌>"_s;
    source.song.artist = u"歌う人"_s;
    return source;
}

} // namespace

class TestTtmlForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void times_data();
    void times();
    void writtenFile();
    void readLines_data();
    void readLines();
    void damagedFiles_data();
    void damagedFiles();
    void roundTrip();
    void ttconvShowsEachLine();
    void appleMusicLikeLyricsReadsTheWords();
};

void TestTtmlForm::times_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("framesPerSecond");
    QTest::addColumn<qint64>("ticksPerSecond");
    QTest::addColumn<qint64>("ms"); // -1: no time
    const auto row = [](const char* name, const QString& text, qint64 ms, double fps = 30,
                        qint64 tps = 1) { QTest::newRow(name) << text << fps << tps << ms; };
    row("clock time", u"01:02:03.456"_s, 3723456);
    row("players' minutes", u"1:23.456"_s, 83456);
    row("seconds alone", u"12.345"_s, 12345);
    row("no fraction", u"00:00:07"_s, 7000);
    row("digits past the thousandth dropped", u"0:01.23456"_s, 1234);
    row("offset in seconds", u"12.3s"_s, 12300);
    row("offset in milliseconds", u"450ms"_s, 450);
    row("offset in minutes", u"1.5m"_s, 90000);
    row("offset in hours", u"1h"_s, 3600000);
    row("frames at the default 30 a second", u"00:00:01:12"_s, 1400);
    row("frames and sub-frames at 25", u"00:01:00:05.1"_s, 60200, 25);
    row("frames at 29.97", u"00:00:00:30"_s, 1001, 30000.0 / 1001);
    row("an offset in frames", u"50f"_s, 2000, 25);
    row("ticks at the default rate of one", u"100t"_s, 100000);
    row("ticks at ten million", u"36000000000t"_s, 3600000, 30, 10000000);
    row("ticks beyond a 32-bit count", u"123456789012345t"_s, 12345678901, 30, 10000000);
    row("frames of one digit", u"00:00:01:2"_s, -1);
    row("60 seconds", u"0:60.000"_s, -1);
    row("60 minutes of an hour", u"1:60:00.000"_s, -1);
    row("a dot alone", u"12."_s, -1);
    row("a fraction of a tick", u"1.5t"_s, -1);
    row("empty", QString(), -1);
}

void TestTtmlForm::times()
{
    QFETCH(QString, text);
    QFETCH(double, framesPerSecond);
    QFETCH(qint64, ticksPerSecond);
    QFETCH(qint64, ms);
    QCOMPARE(ParseTtmlTime(text, {framesPerSecond, ticksPerSecond}).value_or(-1), ms);
}

void TestTtmlForm::writtenFile()
{
    QCOMPARE(
        QString::fromUtf8(WriteTtml(SampleSong())),
        u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        u"<tt xmlns=\"http://www.w3.org/ns/ttml\" "
        u"xmlns:itunes=\"http://music.apple.com/lyric-ttml-internal\" "
        u"xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\" "
        u"xmlns:tts=\"http://www.w3.org/ns/ttml#styling\" itunes:timing=\"Word\" xml:lang=\"ja\">\n"
        u"<head><metadata><ttm:title>夜明け &amp; &lt;歌&gt;</ttm:title><ttm:agent type=\"person\" "
        u"xml:id=\"v1\"><ttm:name type=\"full\">歌う人</ttm:name></ttm:agent></metadata></head>\n"
        u"<body dur=\"00:00:12.000\">\n"
        u"<div begin=\"00:00:00.000\" end=\"00:00:12.000\">\n"
        u"<p begin=\"00:00:00.000\" end=\"00:00:03.000\" itunes:key=\"L1\" "
        u"ttm:agent=\"v1\">（前奏）</p>\n"
        u"<p begin=\"00:00:03.000\" end=\"00:00:04.200\" itunes:key=\"L2\" ttm:agent=\"v1\">"
        u"<span begin=\"00:00:03.000\" end=\"00:00:03.500\">Hello</span> "
        u"<span begin=\"00:00:03.500\" end=\"00:00:04.200\">world</span></p>\n"
        u"<p begin=\"00:00:05.000\" end=\"00:00:06.500\" itunes:key=\"L3\" ttm:agent=\"v1\">"
        u"<span begin=\"00:00:05.000\" end=\"00:00:06.000\" tts:ruby=\"container\">"
        u"<span tts:ruby=\"base\">世界</span><span tts:ruby=\"textContainer\">"
        u"<span tts:ruby=\"text\" begin=\"00:00:05.000\" end=\"00:00:05.300\">せ</span>"
        u"<span tts:ruby=\"text\" begin=\"00:00:05.300\" end=\"00:00:05.600\">か</span>"
        u"<span tts:ruby=\"text\" begin=\"00:00:05.600\" "
        u"end=\"00:00:06.000\">い</span></span></span>"
        u"<span begin=\"00:00:06.000\" end=\"00:00:06.500\">は</span></p>\n"
        u"<p begin=\"00:00:08.000\" end=\"00:00:12.000\" itunes:key=\"L4\" "
        u"ttm:agent=\"v1\">終わり</p>\n"
        u"</div>\n</body>\n</tt>\n"_s);

    // Lines timed as a whole only; no artist; the last line
    // lasts five seconds.
    const QString lines = QString::fromUtf8(WriteTtml(Song({Line(1000, u"a"_s)})));
    QVERIFY(lines.contains(u"itunes:timing=\"Line\""_s));
    QVERIFY(!lines.contains(u"agent"_s));
    QVERIFY(lines.contains(
        u"<p begin=\"00:00:01.000\" end=\"00:00:06.000\" itunes:key=\"L1\">a</p>"_s));
}

void TestTtmlForm::readLines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("titles");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("dropped");

    QTest::newRow("a player's file, indented")
        << u"<?xml version=\"1.0\"?>\n<tt xmlns=\"http://www.w3.org/ns/ttml\" "
           u"xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\" "
           u"xmlns:itunes=\"http://music.apple.com/lyric-ttml-internal\" itunes:timing=\"Word\">\n"
           u"  <head>\n    <metadata>\n      <ttm:title>歌</ttm:title>\n"
           u"      <ttm:agent type=\"person\" xml:id=\"v1\"><ttm:name type=\"full\">歌手"
           u"</ttm:name></ttm:agent>\n"
           u"      <ttm:agent type=\"person\" "
           u"xml:id=\"v2\"><ttm:name>二人目</ttm:name></ttm:agent>\n"
           u"    </metadata>\n  </head>\n"
           u"  <body dur=\"1:00.000\">\n    <div begin=\"12.000\" end=\"1:00.000\">\n"
           u"      <p begin=\"12.000\" end=\"14.000\" itunes:key=\"L1\" ttm:agent=\"v1\">\n"
           u"        <span begin=\"12.000\" end=\"12.500\">Hel</span><span begin=\"12.500\" "
           u"end=\"13.000\">lo,</span>\n        <span begin=\"13.000\" "
           u"end=\"13.900\">world</span>\n"
           u"      </p>\n"
           u"      <p begin=\"1.5s\" end=\"2500ms\" ttm:agent=\"v2\">first<br/>line</p>\n"
           u"    </div>\n  </body>\n</tt>\n"_s
        << u"歌 / 歌手"_s
        << QStringList{u"1500 first line"_s, u"2500 "_s,
                       u"12000 Hel|lo, |world @12000,12500,13000 ~13900"_s}
        << u"other"_s;
    QTest::newRow("text outside the spans joins the span before, or begins at the line's time")
        << kOpen + u"<body><div><p begin=\"00:00:01.000\" end=\"00:00:03.000\">in<span "
                   u"begin=\"00:00:01.200\" end=\"00:00:02.000\">to</span>it<span "
                   u"begin=\"00:00:02.000\" end=\"00:00:02.800\"></span></p></div></body></tt>"_s
        << u" / "_s << QStringList{u"1000 in|toit @1000,1200 ~2000"_s} << QString();
    QTest::newRow("a reading in one text without times of its own")
        << kOpen +
               u"<body><div><p begin=\"00:00:01.000\" end=\"00:00:03.000\"><span "
               u"begin=\"00:00:01.000\" end=\"00:00:02.000\" tts:ruby=\"container\"><span "
               u"tts:ruby=\"base\">世界</span><span tts:ruby=\"text\">せかい</span></span> "
               u"<span begin=\"00:00:02.000\" end=\"00:00:03.000\">は</span></p></div></body></tt>"_s
        << u" / "_s << QStringList{u"1000 世界 《せかい》|は @1000,2000 ~3000"_s} << QString();
    QTest::newRow("styles, regions and inline markup are dropped")
        << kOpen +
               u"<head><styling><style xml:id=\"s1\" tts:color=\"red\"/></styling><layout><region "
               u"xml:id=\"r1\"/></layout></head><body><div><p begin=\"00:00:05.000\" "
               u"end=\"00:00:06.000\" region=\"r1\" style=\"s1\">a <span tts:fontStyle=\"italic\">b"
               u"</span><metadata>c</metadata></p></div></body></tt>"_s
        << u" / "_s << QStringList{u"5000 a b"_s} << u"styles positions markup other"_s;
    // Subtitle services' files count in ticks or frames at the root's rates.
    QTest::newRow("ticks and frames at the rates the root gives")
        << u"<tt xmlns=\"http://www.w3.org/ns/ttml\" "
           u"xmlns:ttp=\"http://www.w3.org/ns/ttml#parameter\" ttp:tickRate=\"10000000\" "
           u"ttp:frameRate=\"24\" ttp:frameRateMultiplier=\"1000 1001\"><body><div>"
           u"<p begin=\"15000000t\" end=\"30000000t\">ticks</p>"
           u"<p begin=\"00:00:03:12\" end=\"00:00:04:12\">frames</p></div></body></tt>"_s
        << u" / "_s << QStringList{u"1500 ticks"_s, u"3500 frames"_s} << QString();
    QTest::newRow("lines in time order, lines shown together noted")
        << kOpen + u"<body><div><p begin=\"00:00:05.000\" end=\"00:00:06.000\">b</p><p "
                   u"begin=\"00:00:01.000\" end=\"00:00:05.500\">a</p><p begin=\"00:00:07.000\" "
                   u"end=\"00:00:08.000\"></p></div></body></tt>"_s
        << u" / "_s << QStringList{u"1000 a"_s, u"5000 b"_s, u"6000 "_s, u"7000 "_s} << u"other"_s;
}

void TestTtmlForm::readLines()
{
    QFETCH(QString, file);
    QFETCH(QString, titles);
    QFETCH(QStringList, lines);
    QFETCH(QString, dropped);
    const auto read = ReadTtml(file);
    QVERIFY(read.ok());
    QCOMPARE(read.value().titles.title + u" / "_s + read.value().titles.artist, titles);
    QCOMPARE(Described(read.value().lines), lines);
    QCOMPARE(DescribeDropped(read.value().dropped), dropped);
}

void TestTtmlForm::damagedFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<SubtitleFaultKind>("kind");

    QTest::newRow("not XML") << u"WEBVTT\n\n00:01.000 --> 00:02.000\nhi\n"_s << 1
                             << SubtitleFaultKind::NotThisForm;
    QTest::newRow("another root") << u"<?xml version=\"1.0\"?>\n<html><p>hi</p></html>"_s << 1
                                  << SubtitleFaultKind::NotThisForm;
    QTest::newRow("a bad time")
        << kOpen + u"\n<body><div>\n<p begin=\"00:00:01.000\">a</p>\n<p begin=\"soon\">b</p>"
                   u"\n</div></body></tt>"_s
        << 4 << SubtitleFaultKind::BadTime;
    QTest::newRow("a bad time of a span")
        << kOpen + u"\n<body><div>\n<p begin=\"1s\"><span begin=\"1s\" end=\"2x\">a</span></p>"
                   u"\n</div></body></tt>"_s
        << 3 << SubtitleFaultKind::BadTime;
    QTest::newRow("broken off") << kOpen + u"\n<body><div>\n<p begin=\"1s\">a</div>"_s << 3
                                << SubtitleFaultKind::BadStructure;
    QTest::newRow("nested too deep")
        << kOpen + u"<body><div><p begin=\"1s\">"_s + u"<span>"_s.repeated(40) + u"a"_s +
               u"</span>"_s.repeated(40) + u"</p></div></body></tt>"_s
        << 1 << SubtitleFaultKind::BadStructure;
    // Entities that would grow into gigabytes are never expanded: a
    // document type declaration is refused where it stands.
    QString laughs = u"<?xml version=\"1.0\"?>\n<!DOCTYPE tt [\n<!ENTITY a0 \"ha\">\n"_s;
    for (int i = 1; i < 30; ++i)
        laughs +=
            u"<!ENTITY a%1 \"&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;&a%2;\">\n"_s.arg(i).arg(i - 1);
    laughs += u"]>\n<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div><p begin=\"1s\">&a29;"
              u"</p></div></body></tt>"_s;
    QTest::newRow("nested entities") << laughs << 2 << SubtitleFaultKind::BadStructure;
}

void TestTtmlForm::damagedFiles()
{
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(SubtitleFaultKind, kind);
    QElapsedTimer timer;
    timer.start();
    const auto read = ReadTtml(file);
    QVERIFY(timer.elapsed() < 5000);
    QVERIFY(!read.ok());
    QCOMPARE(read.error().kind, kind);
    QCOMPARE(read.error().line, line);
}

void TestTtmlForm::roundTrip()
{
    const SubtitleSource source = SampleSong();
    const auto read = ReadTtml(QString::fromUtf8(WriteTtml(source)));
    QVERIFY(read.ok());
    QCOMPARE(read.value().titles.title, source.song.title);
    QCOMPARE(read.value().titles.artist, source.song.artist);
    const QList<TimedLine>& lines = read.value().lines;
    QCOMPARE(lines.size(), source.song.lines.size() + 1);
    QCOMPARE(Describe(lines.first()), u"0 （前奏）"_s);
    for (qsizetype i = 0; i < source.song.lines.size(); ++i) {
        const KaraokeLine& written = source.song.lines.at(i);
        QCOMPARE(lines.at(i + 1).time, written.time);
        QCOMPARE(lines.at(i + 1).text, written.text);
        QCOMPARE(lines.at(i + 1).words, written.words);
    }
    QVERIFY(!read.value().dropped.any());

    const QString huge(kMaxSubtitleBytes + 1, u' ');
    QCOMPARE(ReadTtml(huge).error(), (SubtitleFault{1, SubtitleFaultKind::TooLarge}));
}

// ttconv counts a span's times from its paragraph's begin, as TTML has
// it, where the players count every time from the track's start: only a
// file timed line by line means the same to both.
void TestTtmlForm::ttconvShowsEachLine()
{
    const QString python = testfiles::pythonWith(u"ttconv"_s);
    if (python.isEmpty())
        QSKIP("ttconv is not installed (Debian's python3-ttconv)");
    testfiles::WorkArea area;
    const QString in = area.dir.filePath(u"song.ttml"_s);
    const QString out = area.dir.filePath(u"song.srt"_s);
    SubtitleSource source =
        Song({Line(3000, u"一行目 & <二>"_s), Line(65500, u"Hello world"_s)}, 70250, u"（前奏）"_s);
    testfiles::writeBytes(in, WriteTtml(source));
    QProcess process;
    process.start(python, {u"-m"_s, u"ttconv.tt"_s, u"convert"_s, u"-i"_s, in, u"-o"_s, out});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QCOMPARE(QString::fromUtf8(testfiles::readBytes(out)).replace(u"\r\n"_s, u"\n"_s).trimmed(),
             u"1\n00:00:00,000 --> 00:00:03,000\n（前奏）\n\n"
             u"2\n00:00:03,000 --> 00:01:05,500\n一行目 & <二>\n\n"
             u"3\n00:01:05,500 --> 00:01:10,250\nHello world"_s);

    // ttconv's own TTML of that SRT reads back as the song.
    const QString again = area.dir.filePath(u"again.ttml"_s);
    process.start(python, {u"-m"_s, u"ttconv.tt"_s, u"convert"_s, u"-i"_s, out, u"-o"_s, again});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const auto read = ReadTtml(QString::fromUtf8(testfiles::readBytes(again)));
    QVERIFY(read.ok());
    QCOMPARE(Described(read.value().lines),
             (QStringList{u"0 （前奏）"_s, u"3000 一行目 & <二>"_s, u"65500 Hello world"_s}));
}

void TestTtmlForm::appleMusicLikeLyricsReadsTheWords()
{
#if defined(VERSELET_NPM_PEERS) && defined(VERSELET_PEERS_SCRIPT)
    const QString node = QStandardPaths::findExecutable(u"node"_s);
    if (node.isEmpty())
        QSKIP("node is not installed");
    const QString peers = QStringLiteral(VERSELET_NPM_PEERS);
    if (!QFileInfo::exists(peers + u"/node_modules/@applemusic-like-lyrics/lyric/package.json"_s) ||
        !QFileInfo::exists(peers + u"/node_modules/@xmldom/xmldom/package.json"_s))
        QSKIP("@applemusic-like-lyrics/lyric is not in the build tree: npm was not there or could "
              "not reach its registry (ctest's npm_peers installs it)");
    testfiles::WorkArea area;
    const QString path = area.dir.filePath(u"song.ttml"_s);
    testfiles::writeBytes(path, WriteTtml(SampleSong()));
    QProcess process;
    process.start(node, {QStringLiteral(VERSELET_PEERS_SCRIPT), u"ttml"_s, peers, path});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
             (QStringList{
                 u"title 夜明け & <歌>"_s,
                 u"0 3000 0-3000:（前奏）"_s,
                 u"3000 4200 3000-3500:Hello_ 3500-4200:world"_s,
                 u"5000 6500 5000-6000:世界[5000-5300:せ 5300-5600:か 5600-6000:い] 6000-6500:は"_s,
                 u"8000 12000 8000-12000:終わり"_s,
             }));
#else
    QSKIP("built without the npm peers' folder");
#endif
}

QTEST_GUILESS_MAIN(TestTtmlForm)
#include "tst_ttmlform.moc"
