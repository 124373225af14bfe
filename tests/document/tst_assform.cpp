#include "document/assform.h"
#include "document/subtitles.h"

#include "testfiles.h"
#include "timedlines.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

using namespace timedlines;

// The Dialogue lines of a written file.
QStringList Dialogues(const QByteArray& file)
{
    QStringList out;
    for (const QString& line : QString::fromUtf8(file).split(u"\r\n"_s)) {
        if (line.startsWith(u"Dialogue:"_s))
            out.append(line);
    }
    return out;
}

const QString kHeader = u"[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
                        u"Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
                        u"Effect, Text\n"_s;

// A song with word times on the hundredth, a reading, a line timed as a
// whole and a start text, as the round trip and the peer readers take it.
SubtitleSource SampleSong()
{
    return Song({Line(3000, u"Hello world"_s, Words(u"Hello world"_s, {0, 6}, {3000, 3500}, 4200)),
                 Line(5000, u"世界は"_s,
                      Words(u"世界は"_s, {0, 2}, {5000, 5300, 5600, 6000}, 6500,
                            {Reading{0, 2, u"せかい"_s, {0, 1, 2}}})),
                 Line(8000, u"終わり"_s)},
                12000, u"（前奏）"_s);
}

} // namespace

class TestAssForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timesAreHundredths_data();
    void timesAreHundredths();
    void writtenHeader();
    void writtenDialogues_data();
    void writtenDialogues();
    void readLines_data();
    void readLines();
    void damagedFiles_data();
    void damagedFiles();
    void roundTrip();
    void ffmpegReadsTheSameCues();
    void assCompilerReadsTheKaraokeTags();
};

void TestAssForm::timesAreHundredths_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("ms"); // -1: no time
    QTest::newRow("hundredths") << u"0:01:02.34"_s << qint64(62340);
    QTest::newRow("hours of two digits") << u"12:00:00.00"_s << qint64(43200000);
    QTest::newRow("tenths") << u"0:00:01.5"_s << qint64(1500);
    QTest::newRow("thousandths") << u"0:00:01.005"_s << qint64(1005);
    QTest::newRow("one-digit minutes and seconds") << u"0:1:2.00"_s << qint64(62000);
    QTest::newRow("60 seconds") << u"0:00:60.00"_s << qint64(-1);
    QTest::newRow("no fraction") << u"0:00:01"_s << qint64(-1);
    QTest::newRow("SRT's comma") << u"00:00:01,00"_s << qint64(-1);
    QTest::newRow("a letter") << u"0:0a:01.00"_s << qint64(-1);
    QTest::newRow("empty") << QString() << qint64(-1);
}

void TestAssForm::timesAreHundredths()
{
    QFETCH(QString, text);
    QFETCH(qint64, ms);
    const auto read = ParseAssTime(text);
    QCOMPARE(read.value_or(-1), ms);
}

void TestAssForm::writtenHeader()
{
    const QByteArray file = WriteAss(Song({Line(1000, u"a"_s)}, 3000));
    QVERIFY(!file.startsWith("\xEF\xBB\xBF"));
    QVERIFY(!QByteArray(file).replace("\r\n", "").contains('\n'));
    const QString text = QString::fromUtf8(WriteAss(Song({Line(1000, u"a"_s)}, 3000)));
    QVERIFY(text.startsWith(u"[Script Info]\r\n"_s));
    QVERIFY(text.contains(u"\r\nTitle: 夜明けの歌\r\n"_s));
    QVERIFY(text.contains(u"\r\nScriptType: v4.00+\r\n"_s));
    QVERIFY(text.contains(u"\r\nPlayResX: 1920\r\nPlayResY: 1080\r\n"_s));
    // The reading style is smaller and stands higher, over the lines.
    QVERIFY(text.contains(u"\r\nStyle: Lyrics,Noto Sans CJK JP,72,"_s));
    QVERIFY(text.contains(u"\r\nStyle: Ruby,Noto Sans CJK JP,36,"_s));
    QVERIFY(text.contains(u",2,60,60,60,1\r\nStyle: Ruby,"_s));
    QVERIFY(text.contains(u",2,60,60,150,1\r\n"_s));
    QVERIFY(text.contains(u"\r\n[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, "
                          u"MarginR, MarginV, Effect, Text\r\nDialogue: "_s));
}

void TestAssForm::writtenDialogues_data()
{
    QTest::addColumn<SubtitleSource>("source");
    QTest::addColumn<QStringList>("dialogues");

    QTest::newRow("word times rounded to hundredths, adding up to the line")
        << Song({Line(1000, u"Hello world"_s, Words(u"Hello world"_s, {0, 6}, {1000, 1504}, 2999))})
        << QStringList{
               u"Dialogue: 0,0:00:01.00,0:00:03.00,Lyrics,,0,0,0,,{\\kf50}Hello {\\kf150}world"_s};
    QTest::newRow("lines timed as a whole end at the next line, the last at the track's end")
        << Song({Line(1000, u"一行目"_s), KaraokeLine{kNone, u"時間なし"_s, {}},
                 Line(4000, u"二行目"_s)},
                10000)
        << QStringList{u"Dialogue: 0,0:00:01.00,0:00:04.00,Lyrics,,0,0,0,,{\\kf300}一行目"_s,
                       u"Dialogue: 0,0:00:04.00,0:00:10.00,Lyrics,,0,0,0,,{\\kf600}二行目"_s};
    QTest::newRow("a last line without a track end lasts five seconds")
        << Song({Line(3599990, u"x"_s)})
        << QStringList{u"Dialogue: 0,0:59:59.99,1:00:04.99,Lyrics,,0,0,0,,{\\kf500}x"_s};
    QTest::newRow("a track that ends before the last line does not end it")
        << Song({Line(9000, u"x"_s)}, 8000)
        << QStringList{u"Dialogue: 0,0:00:09.00,0:00:14.00,Lyrics,,0,0,0,,{\\kf500}x"_s};
    QTest::newRow("a line without an end of its words ends at the next line")
        << Song({Line(1000, u"ab"_s, Words(u"ab"_s, {0, 1}, {1000, 1500}, kNone)),
                 Line(2500, u"c"_s)},
                3000)
        << QStringList{u"Dialogue: 0,0:00:01.00,0:00:02.50,Lyrics,,0,0,0,,{\\kf50}a{\\kf100}b"_s,
                       u"Dialogue: 0,0:00:02.50,0:00:03.00,Lyrics,,0,0,0,,{\\kf50}c"_s};
    QTest::newRow("a segment without a time is sung with the one before")
        << Song({Line(1000, u"abcdef"_s, Words(u"abcdef"_s, {0, 2, 4}, {1000, kNone, 1500}, 2000))})
        << QStringList{
               u"Dialogue: 0,0:00:01.00,0:00:02.00,Lyrics,,0,0,0,,{\\kf50}abcd{\\kf50}ef"_s};
    QTest::newRow("a reading over its base, its kana timed as its units")
        << Song({Line(1000, u"世界は"_s,
                      Words(u"世界は"_s, {0, 2}, {1000, 1300, 1600, 2000}, 2500,
                            {Reading{0, 2, u"せかい"_s, {0, 1, 2}}}))})
        << QStringList{
               u"Dialogue: 0,0:00:01.00,0:00:02.50,Lyrics,,0,0,0,,{\\kf100}世界{\\kf50}は"_s,
               u"Dialogue: "
               u"0,0:00:01.00,0:00:02.50,Ruby,,0,0,0,,{\\k0\\fscx50}　{\\kf30\\fscx100}せ{\\kf30}か"
               u"{\\kf40}い{\\k50\\fscx250}　"_s};
    QTest::newRow("two readings side by side are parted by a blank; a gap before the first")
        << Song({Line(
               1000, u"は今日明日"_s,
               Words(u"は今日明日"_s, {0, 1, 3}, {1000, 1200, 1400, 1600, 1700, 1800}, 2000,
                     {Reading{1, 2, u"きょう"_s, {0, 2}}, Reading{3, 2, u"あした"_s, {0, 1, 2}}}))})
        << QStringList{
               u"Dialogue: 0,0:00:01.00,0:00:02.00,Lyrics,,0,0,0,,{\\kf20}は{\\kf40}今日{\\kf40}明日"_s,
               u"Dialogue: "
               u"0,0:00:01.00,0:00:02.00,Ruby,,0,0,0,,{\\k20\\fscx250}　{\\kf20\\fscx100}きょ"
               u"{\\kf20}う{\\k0}　{\\kf10}あ{\\kf10}し{\\kf20}た{\\k0\\fscx50}　"_s};
    QTest::newRow("a reading longer than its base is narrowed to it")
        << Song({Line(1000, u"東へ"_s,
                      Words(u"東へ"_s, {0, 1}, {1000, 1200, 1400, 1600}, 2000,
                            {Reading{0, 1, u"ひがし"_s, {0, 1, 2}}}))})
        << QStringList{
               u"Dialogue: 0,0:00:01.00,0:00:02.00,Lyrics,,0,0,0,,{\\kf60}東{\\kf40}へ"_s,
               u"Dialogue: 0,0:00:01.00,0:00:02.00,Ruby,,0,0,0,,{\\kf20\\fscx67}ひ{\\kf20}が"
               u"{\\kf20}し{\\k40\\fscx200}　"_s};
    QTest::newRow("over a line with other letters the readings stand one after another")
        << Song({Line(1000, u"Go 東へ"_s,
                      Words(u"Go 東へ"_s, {0, 3, 4}, {1000, 1200, 1400, 1600, 1800}, 2000,
                            {Reading{3, 1, u"ひがし"_s, {0, 1, 2}}}))})
        << QStringList{
               u"Dialogue: 0,0:00:01.00,0:00:02.00,Lyrics,,0,0,0,,{\\kf20}Go {\\kf60}東{\\kf20}へ"_s,
               u"Dialogue: 0,0:00:01.00,0:00:02.00,Ruby,,0,0,0,,{\\k20}{\\kf20}ひ{\\kf20}が"
               u"{\\kf20}し{\\k20}"_s};
    QTest::newRow("the start text until the first line")
        << Song({Line(3000, u"一行目"_s)}, 5000, u"（前奏）"_s)
        << QStringList{u"Dialogue: 0,0:00:00.00,0:00:03.00,Lyrics,,0,0,0,,{\\kf300}（前奏）"_s,
                       u"Dialogue: 0,0:00:03.00,0:00:05.00,Lyrics,,0,0,0,,{\\kf200}一行目"_s};
    QTest::newRow("braces and line breaks in the text are written as text")
        << Song({Line(0, u"a{\\b1}\\N"_s)}, 1000)
        << QStringList{u"Dialogue: 0,0:00:00.00,0:00:01.00,Lyrics,,0,0,0,,{\\kf100}a｛\\b1｝＼N"_s};
}

void TestAssForm::writtenDialogues()
{
    QFETCH(SubtitleSource, source);
    QFETCH(QStringList, dialogues);
    QCOMPARE(Dialogues(WriteAss(source)), dialogues);
}

void TestAssForm::readLines_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("dropped");

    QTest::newRow("an editor's karaoke file")
        << u"\uFEFF[Script Info]\r\n; Script generated by an editor\r\nTitle: 歌\r\n"
           u"ScriptType: v4.00+\r\n\r\n[V4+ Styles]\r\nFormat: Name, Fontname, Fontsize\r\n"
           u"Style: Default,Arial,20\r\n\r\n[Events]\r\n"
           u"Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
           u"Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,karaoke,{\\k10}te{\\k10}mplate\r\n"
           u"Dialogue: 0,0:00:05.00,0:00:07.00,Default,,0,0,0,,{\\an8}{\\k50}Hel{\\K30\\c&HFF&}lo, "
           u"{\\ko40}world\r\n"
           u"Dialogue: 0,0:00:01.00,0:00:02.50,Default,,0,0,0,,{\\pos(10,20)}first\\Nline\r\n"
           u"\r\n[Aegisub Project Garbage]\r\nVideo File: x.mkv\r\n"_s
        << u"歌"_s
        << QStringList{u"1000 first line"_s, u"2500 "_s,
                       u"5000 Hel|lo, |world @5000,5500,5800 ~6200"_s}
        << u"styles positions markup other"_s;
    QTest::newRow("a gap without text and text before the first tag")
        << kHeader +
               u"Dialogue: 0,0:00:10.00,0:00:12.00,Default,,0,0,0,,in{\\k20}to{\\k30}{\\k40}it\n"_s
        << QString() << QStringList{u"10000 in|to|it @10000,10000,10500 ~10900"_s} << QString();
    QTest::newRow("a gap at the start: the line begins when it is first sung")
        << kHeader +
               u"Dialogue: 0,0:00:10.00,0:00:12.00,Default,,0,0,0,,{\\k20}{\\k30}a{\\k10}b\n"_s
        << QString() << QStringList{u"10200 a|b @10200,10500 ~10600"_s} << QString();
    QTest::newRow("one tag over the whole line is a line timed as a whole")
        << kHeader + u"Dialogue: 0,0:00:10.00,0:00:12.00,Default,,0,0,0,,{\\kf200}whole line\n"_s
        << QString() << QStringList{u"10000 whole line"_s} << QString();
    QTest::newRow("the old form's Marked field, a Format line of its own order")
        << u"[Script Info]\nScriptType: v4.00\n[Events]\nFormat: Marked, Start, End, Style, "
           u"Name, MarginL, MarginR, MarginV, Effect, Text\nDialogue: Marked=0,0:00:01.00,"
           u"0:00:02.00,*Default,NTP,0000,0000,0000,,a, b, c\n"_s
        << QString() << QStringList{u"1000 a, b, c"_s} << QString();
    QTest::newRow("fields in another order")
        << u"[Events]\nFormat: Text, End, Start\nDialogue: x,0:00:09.00,0:00:08.00\n"_s << QString()
        << QStringList{u"8000 x"_s} << QString();
    QTest::newRow(
        "lines in time order, empty ones kept, a break cleared, lines shown together noted")
        << kHeader + u"Dialogue: 0,0:00:03.00,0:00:04.00,A,,0,0,0,,b\n"
                     u"Dialogue: 0,0:00:01.00,0:00:03.50,A,,0,0,0,,a\n"
                     u"Dialogue: 0,0:00:05.00,0:00:06.00,A,,0,0,0,,\n"_s
        << QString() << QStringList{u"1000 a"_s, u"3000 b"_s, u"4000 "_s, u"5000 "_s} << u"other"_s;
    QTest::newRow("readings back over the segments that begin with them")
        << kHeader + u"Dialogue: "
                     u"0,0:00:01.00,0:00:02.50,Lyrics,,0,0,0,,{\\kf20}は{\\kf40}今日{\\kf90}明日\n"
                     u"Dialogue: "
                     u"0,0:00:01.00,0:00:02.50,Ruby,,0,0,0,,{\\k20}{\\kf20}きょ{\\kf20}う{\\k0} "
                     u"{\\kf10}あ{\\kf10}し{\\kf70}た\n"_s
        << QString()
        << QStringList{u"1000 は|今日《きょ|う》|明日《あ|し|た》 @1000,1200,1400,1600,1700,1800 ~2500"_s}
        << QString();
    QTest::newRow("a reading that meets no segment, a reading line over no line")
        << kHeader + u"Dialogue: 0,0:00:01.00,0:00:02.00,Lyrics,,0,0,0,,{\\kf50}a{\\kf50}b\n"
                     u"Dialogue: 0,0:00:01.00,0:00:02.00,Furigana,,0,0,0,,{\\k20}{\\kf20}x\n"
                     u"Dialogue: 0,0:00:05.00,0:00:06.00,Ruby,,0,0,0,,{\\kf20}y\n"_s
        << QString() << QStringList{u"1000 a|b @1000,1500 ~2000"_s} << u"other"_s;
    QTest::newRow("a brace that nothing closes is text; a note in braces is dropped")
        << kHeader + u"Dialogue: 0,0:00:01.00,0:00:02.00,A,,0,0,0,,{a note}x { y\n"_s << QString()
        << QStringList{u"1000 x { y"_s} << u"other"_s;
}

void TestAssForm::readLines()
{
    QFETCH(QString, file);
    QFETCH(QString, title);
    QFETCH(QStringList, lines);
    QFETCH(QString, dropped);
    const auto read = ReadAss(file);
    QVERIFY(read.ok());
    QCOMPARE(read.value().titles.title, title);
    QCOMPARE(Described(read.value().lines), lines);
    QCOMPARE(DescribeDropped(read.value().dropped), dropped);
}

void TestAssForm::damagedFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<SubtitleFaultKind>("kind");

    QTest::newRow("not a script") << u"1\n00:00:01,000 --> 00:00:02,000\nhi\n"_s << 1
                                  << SubtitleFaultKind::NotThisForm;
    QTest::newRow("a bad start") << kHeader + u"Dialogue: 0,0:00:01.00,0:00:02.00,A,,0,0,0,,a\n"
                                              u"Dialogue: 0,0:00:61.00,0:00:62.00,A,,0,0,0,,b\n"
                                              u"Dialogue: 0,x,0:00:02.00,A,,0,0,0,,c\n"_s
                                 << 7 << SubtitleFaultKind::BadTime;
    QTest::newRow("an end before the start")
        << kHeader + u"Dialogue: 0,0:00:03.00,0:00:02.00,A,,0,0,0,,a\n"_s << 6
        << SubtitleFaultKind::BadTime;
    QTest::newRow("a Dialogue cut short") << kHeader + u"Dialogue: 0,0:00:01.00,0:00:02.00,A\n"_s
                                          << 6 << SubtitleFaultKind::BadStructure;
    QTest::newRow("a Format without times")
        << u"[Script Info]\r\n[Events]\r\nFormat: Layer, Style, Text\r\n"_s << 3
        << SubtitleFaultKind::BadStructure;
}

void TestAssForm::damagedFiles()
{
    QFETCH(QString, file);
    QFETCH(int, line);
    QFETCH(SubtitleFaultKind, kind);
    const auto read = ReadAss(file);
    QVERIFY(!read.ok());
    QCOMPARE(read.error(), (SubtitleFault{line, kind}));
}

void TestAssForm::roundTrip()
{
    const SubtitleSource source = SampleSong();
    const auto read = ReadAss(QString::fromUtf8(WriteAss(source)));
    QVERIFY(read.ok());
    QCOMPARE(read.value().titles.title, source.song.title);
    const QList<TimedLine>& lines = read.value().lines;
    QCOMPARE(lines.size(), source.song.lines.size() + 1);
    QCOMPARE(lines.first().time, ExactTime(0));
    QCOMPARE(lines.first().text, source.song.startText);
    QVERIFY(lines.first().words.starts.isEmpty());
    for (qsizetype i = 0; i < source.song.lines.size(); ++i) {
        const KaraokeLine& written = source.song.lines.at(i);
        QCOMPARE(lines.at(i + 1).time, written.time);
        QCOMPARE(lines.at(i + 1).text, written.text);
        QCOMPARE(lines.at(i + 1).words, written.words);
    }
    // The styles written are not kept; nothing else is dropped.
    QCOMPARE(DescribeDropped(read.value().dropped), u"styles"_s);

    // Too large files are refused before they are read.
    const QString huge(kMaxSubtitleBytes + 1, u'x');
    QCOMPARE(ReadAss(huge).error(), (SubtitleFault{1, SubtitleFaultKind::TooLarge}));
}

void TestAssForm::ffmpegReadsTheSameCues()
{
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (ffmpeg.isEmpty())
        QSKIP("ffmpeg is not installed");
    testfiles::WorkArea area;
    const QString path = area.dir.filePath(u"song.ass"_s);
    testfiles::writeBytes(path, WriteAss(SampleSong()));
    QProcess process;
    process.start(ffmpeg, {u"-nostdin"_s, u"-loglevel"_s, u"error"_s, u"-i"_s, path, u"-f"_s,
                           u"srt"_s, u"-"_s});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QStringList cues = QString::fromUtf8(process.readAllStandardOutput())
                           .replace(u"\r\n"_s, u"\n"_s)
                           .split(u"\n\n"_s, Qt::SkipEmptyParts);
    // Without the number, and without the style's font that ffmpeg gives.
    static const QRegularExpression font(u"<[^>]*>"_s);
    for (QString& cue : cues)
        cue = cue.section(u'\n', 1).remove(font);
    QCOMPARE(cues, (QStringList{
                       u"00:00:00,000 --> 00:00:03,000\n（前奏）"_s,
                       u"00:00:03,000 --> 00:00:04,200\nHello world"_s,
                       u"00:00:05,000 --> 00:00:06,500\n世界は"_s,
                       u"00:00:05,000 --> 00:00:06,500\n　せかい　"_s,
                       u"00:00:08,000 --> 00:00:12,000\n終わり"_s,
                   }));
}

void TestAssForm::assCompilerReadsTheKaraokeTags()
{
#if defined(VERSELET_NPM_PEERS) && defined(VERSELET_PEERS_SCRIPT)
    const QString node = QStandardPaths::findExecutable(u"node"_s);
    if (node.isEmpty())
        QSKIP("node is not installed");
    const QString peers = QStringLiteral(VERSELET_NPM_PEERS);
    if (!QFileInfo::exists(peers + u"/node_modules/ass-compiler/package.json"_s))
        QSKIP("ass-compiler is not in the build tree: npm was not there or could not reach its "
              "registry (ctest's npm_peers installs it)");
    testfiles::WorkArea area;
    const QString path = area.dir.filePath(u"song.ass"_s);
    testfiles::writeBytes(path, WriteAss(SampleSong()));
    QProcess process;
    process.start(node, {QStringLiteral(VERSELET_PEERS_SCRIPT), u"ass"_s, peers, path});
    QVERIFY(process.waitForFinished(60000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
             (QStringList{
                 u"0 300 Lyrics 300:（前奏）"_s,
                 u"300 420 Lyrics 50:Hello  70:world"_s,
                 u"500 650 Lyrics 100:世界 50:は"_s,
                 u"500 650 Ruby 0:　 30:せ 30:か 40:い"_s,
                 u"800 1200 Lyrics 400:終わり"_s,
             }));
#else
    QSKIP("built without the npm peers' folder");
#endif
}

QTEST_GUILESS_MAIN(TestAssForm)
#include "tst_assform.moc"
