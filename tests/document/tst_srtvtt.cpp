#include "document/subtitles.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(verselet::SubtitleSource)
Q_DECLARE_METATYPE(verselet::DroppedParts)
Q_DECLARE_METATYPE(verselet::SubtitleFaultKind)

namespace {

constexpr ExactTime kNone = std::nullopt;

KaraokeLine line(ExactTime time, const QString& text, const SegmentStarts& starts = {},
                 const ExactTimes& times = {}, ExactTime end = {}, const Readings& readings = {})
{
    KaraokeLine l{time, text, {}};
    if (!starts.isEmpty())
        l.words = {text, starts, times, end, readings};
    return l;
}

SubtitleSource song(const QList<KaraokeLine>& lines, std::optional<qint32> trackEnd = {},
                    const QString& startText = {})
{
    SubtitleSource source;
    source.song.startText = startText;
    source.song.lines = lines;
    source.trackEndMs = trackEnd;
    return source;
}

// A small song: a start text, a line timed word by word with a reading
// (世界 sung in three parts) and an end, a line timed as a whole with what
// WebVTT escapes, a line without a time, and a last line.
SubtitleSource smallSong(std::optional<qint32> trackEnd)
{
    return song({line(1000, u"世界は"_s, {0, 2}, {1000, 1200, 1400, 1800}, 2500,
                      {{0, 2, u"せかい"_s, {0, 1, 2}}}),
                 line(3000, u"rock & <roll>"_s), line(kNone, u"not timed"_s),
                 line(6000, u"last"_s)},
                trackEnd, u"Song - Singer"_s);
}

// Lines as one text each: "ms text", and the words as "{start@ms … ~end}".
QStringList shown(const QList<TimedLine>& lines)
{
    QStringList out;
    for (const TimedLine& l : lines) {
        QString s = (l.time ? QString::number(*l.time) : u"-"_s) + u' ' + l.text;
        if (!l.words.starts.isEmpty()) {
            s += u" {"_s;
            for (qsizetype i = 0; i < l.words.starts.size(); ++i) {
                const ExactTime t = l.words.timeOf(i);
                s += QString::number(l.words.starts.at(i)) + u'@' +
                     (t ? QString::number(*t) : u"-"_s) + u' ';
            }
            s += u'~' + (l.words.end ? QString::number(*l.words.end) : u"-"_s) + u'}';
        }
        out.append(s);
    }
    return out;
}

Result<SubtitleRead, SubtitleFault> readAs(const QString& form, const QString& text)
{
    return form == u"srt"_s ? ReadSrt(text) : ReadWebVtt(text);
}

} // namespace

class TestSrtVtt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writtenExactly_data();
    void writtenExactly();
    void readWithWhatCannotBeKeptDropped_data();
    void readWithWhatCannotBeKeptDropped();
    void damagedFileGivesItsFirstFault_data();
    void damagedFileGivesItsFirstFault();
    void writtenAndReadBack_data();
    void writtenAndReadBack();
    void ffmpegReadsTheSameCues_data();
    void ffmpegReadsTheSameCues();
    void pythonSrtReadsTheSameCues();
};

void TestSrtVtt::writtenExactly_data()
{
    QTest::addColumn<SubtitleSource>("source");
    QTest::addColumn<QByteArray>("srt");
    QTest::addColumn<QByteArray>("vtt");
    QTest::newRow("small song to the track's end")
        << smallSong(9000)
        << QByteArray("1\r\n00:00:00,000 --> 00:00:01,000\r\nSong - Singer\r\n\r\n"
                      "2\r\n00:00:01,000 --> 00:00:02,500\r\n世界は\r\n\r\n"
                      "3\r\n00:00:03,000 --> 00:00:06,000\r\nrock & <roll>\r\n\r\n"
                      "4\r\n00:00:06,000 --> 00:00:09,000\r\nlast\r\n\r\n")
        << QByteArray("WEBVTT\n\n"
                      "00:00:00.000 --> 00:00:01.000\nSong - Singer\n\n"
                      "00:00:01.000 --> 00:00:02.500\n世界<00:00:01.800>は\n\n"
                      "00:00:03.000 --> 00:00:06.000\nrock &amp; &lt;roll&gt;\n\n"
                      "00:00:06.000 --> 00:00:09.000\nlast\n\n");
    QTest::newRow("no track end: the last line lasts five seconds")
        << song({line(61000, u"one"_s)})
        << QByteArray("1\r\n00:01:01,000 --> 00:01:06,000\r\none\r\n\r\n")
        << QByteArray("WEBVTT\n\n00:01:01.000 --> 00:01:06.000\none\n\n");
    QTest::newRow("a track end before the last line is no end")
        << song({line(7000, u"one"_s)}, 6000)
        << QByteArray("1\r\n00:00:07,000 --> 00:00:12,000\r\none\r\n\r\n")
        << QByteArray("WEBVTT\n\n00:00:07.000 --> 00:00:12.000\none\n\n");
    QTest::newRow("empty and zero-length cues left out, their times end the cue before")
        << song({line(0, u"a"_s), line(2000, QString()), line(4000, u"b"_s), line(4000, u"c"_s)},
                {}, u"start at the first line"_s)
        << QByteArray("1\r\n00:00:00,000 --> 00:00:02,000\r\na\r\n\r\n"
                      "2\r\n00:00:04,000 --> 00:00:09,000\r\nc\r\n\r\n")
        << QByteArray("WEBVTT\n\n00:00:00.000 --> 00:00:02.000\na\n\n"
                      "00:00:04.000 --> 00:00:09.000\nc\n\n");
    QTest::newRow("a segment without a time, or out of order, sung with the one before")
        << song({line(1000, u"la la la la"_s, {0, 3, 6, 9}, {1000, kNone, 1500, 1200}),
                 line(2000, u"x"_s)})
        << QByteArray("1\r\n00:00:01,000 --> 00:00:02,000\r\nla la la la\r\n\r\n"
                      "2\r\n00:00:02,000 --> 00:00:07,000\r\nx\r\n\r\n")
        << QByteArray("WEBVTT\n\n00:00:01.000 --> 00:00:02.000\nla la <00:00:01.500>la la\n\n"
                      "00:00:02.000 --> 00:00:07.000\nx\n\n");
    QTest::newRow("hours past 99")
        << song({line(360000000, u"late"_s)}, 360001001, QString())
        << QByteArray("1\r\n100:00:00,000 --> 100:00:01,001\r\nlate\r\n\r\n")
        << QByteArray("WEBVTT\n\n100:00:00.000 --> 100:00:01.001\nlate\n\n");
}

void TestSrtVtt::writtenExactly()
{
    QFETCH(SubtitleSource, source);
    QFETCH(QByteArray, srt);
    QFETCH(QByteArray, vtt);
    QCOMPARE(WriteSrt(source), srt);
    QCOMPARE(WriteWebVtt(source), vtt);
}

void TestSrtVtt::readWithWhatCannotBeKeptDropped_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<DroppedParts>("dropped");
    QTest::newRow("srt as editors write it")
        << u"srt"_s
        << u"\uFEFF1\r\n00:00:01,500 --> 00:00:03,000\r\n<i>first</i> line\r\nsecond "
           "line\r\n\r\n\r\n2\r\n00:00:04.250 --> 00:00:05,000 X1:10 X2:20 Y1:5 "
           "Y2:9\r\n{\\an8}<font color=\"#ff0000\">top</font>\r\n\r\n"_s
        << QStringList{u"1500 first line second line"_s, u"3000 "_s, u"4250 top"_s}
        << DroppedParts{true, true, true, false};
    QTest::newRow("srt without numbers, LF, out of order, an empty cue, overlapping")
        << u"srt"_s
        << u"0:00:05,000 --> 0:00:06,000\nlater\n\n00:00:01,000 --> 00:00:05,500\nfirst\n\n"
           "00:00:03,000 --> 00:00:04,000\n\n"_s
        << QStringList{u"1000 first"_s, u"3000 "_s, u"5000 later"_s}
        << DroppedParts{false, false, false, true};
    QTest::newRow("srt: a break between cues is an empty line, a few frames are not")
        << u"srt"_s
        << u"1\n00:00:01,000 --> 00:00:02,000\na\n\n2\n00:00:02,080 --> 00:00:03,000\nb\n\n"
           "3\n00:00:04,500 --> 00:00:05,000\nc\n"_s
        << QStringList{u"1000 a"_s, u"2080 b"_s, u"3000 "_s, u"4500 c"_s} << DroppedParts{};
    QTest::newRow("vtt: a line that ends with its words needs no empty line")
        << u"vtt"_s
        << u"WEBVTT\n\n00:01.000 --> 00:02.000\na <00:01.500>b\n\n00:05.000 --> 00:06.000\nc\n"_s
        << QStringList{u"1000 a b {0@1000 2@1500 ~2000}"_s, u"5000 c"_s} << DroppedParts{};
    QTest::newRow("srt text that only looks like markup")
        << u"srt"_s << u"1\r00:00:01,000 --> 00:00:02,000\r<3 {x} <font a & b <b\r"_s
        << QStringList{u"1000 <3 {x} <font a & b <b"_s} << DroppedParts{};
    QTest::newRow("srt overrides that bold are markup")
        << u"srt"_s << u"1\n00:00:01,000 --> 00:00:02,000\n{\\b1}bold{\\b0} <u>u</u>\n"_s
        << QStringList{u"1000 bold u"_s} << DroppedParts{false, false, true, false};
    QTest::newRow("webvtt with header, notes, styles, regions, identifiers, settings")
        << u"vtt"_s
        << u"WEBVTT - a song\nKind: captions\n\nSTYLE\n::cue { color: red }\n\nREGION\nid:r\n\n"
           "NOTE made by hand\n\nintro\n00:01.000 --> 00:02.000 align:start line:0\n"
           "<v Singer>hello</v> <c.loud>world</c>\n\n"_s
        << QStringList{u"1000 hello world"_s} << DroppedParts{true, true, true, true};
    QTest::newRow("webvtt karaoke: text before the first timestamp, references, ruby")
        << u"vtt"_s
        << u"WEBVTT\n\n00:00:01.000 --> 00:00:03.000\nrock &amp;<00:00:01.500> "
           "roll<00:00:02.000>\n<ruby>世界<rt>せかい</rt></ruby><00:00:02.500>&lt;3&nbsp;&bogus;\n"_s
        << QStringList{u"1000 rock & roll 世界<3 &bogus; {0@1000 6@1500 11@2000 14@2500 ~3000}"_s}
        << DroppedParts{false, false, true, false};
    QTest::newRow("webvtt timestamps: at the start, two at a place, one at the end")
        << u"vtt"_s
        << u"WEBVTT\n\n00:00:01.000 --> 00:00:03.000\n<00:00:01.200>la "
           "<00:00:01.300><00:00:01.400>la<00:00:02.800>\n\n"
           "00:00:04.000 --> 00:00:05.000\n<00:00:04.000>whole\n"_s
        << QStringList{u"1000 la la {0@1200 3@1400 ~2800}"_s, u"4000 whole"_s} << DroppedParts{};
    QTest::newRow("webvtt with only a header")
        << u"vtt"_s << u"WEBVTT\n"_s << QStringList{} << DroppedParts{};
}

void TestSrtVtt::readWithWhatCannotBeKeptDropped()
{
    QFETCH(QString, form);
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(DroppedParts, dropped);
    const auto read = readAs(form, text);
    QVERIFY2(read.ok(), qPrintable(QString::number(read.ok() ? 0 : read.error().line)));
    QCOMPARE(shown(read.value().lines), lines);
    QCOMPARE(read.value().dropped, dropped);
}

void TestSrtVtt::damagedFileGivesItsFirstFault_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<SubtitleFaultKind>("kind");
    const QString cue = u"00:00:01,000 --> 00:00:02,000\ntext\n\n"_s;
    QTest::newRow("srt empty") << u"srt"_s << QString() << 1 << SubtitleFaultKind::NotThisForm;
    QTest::newRow("srt plain text")
        << u"srt"_s << u"\nhello\n"_s << 2 << SubtitleFaultKind::NotThisForm;
    QTest::newRow("srt 60 seconds") << u"srt"_s << cue + u"00:00:60,000 --> 00:01:02,000\n"_s << 4
                                    << SubtitleFaultKind::BadTime;
    QTest::newRow("srt number without times")
        << u"srt"_s << cue + cue + u"3\n\n"_s + cue << 7 << SubtitleFaultKind::BadStructure;
    QTest::newRow("srt text without a cue")
        << u"srt"_s << cue + u"stray\n"_s << 4 << SubtitleFaultKind::BadStructure;
    QTest::newRow("srt number at the end")
        << u"srt"_s << cue + u"2"_s << 4 << SubtitleFaultKind::BadStructure;
    QTest::newRow("srt too large")
        << u"srt"_s << QString(kMaxSubtitleBytes + 1, u'a') << 1 << SubtitleFaultKind::TooLarge;
    QString many;
    for (int i = 0; i <= kMaxLrcLines; ++i)
        many += u"00:00.000 --> 00:01.000\nx\n\n"_s;
    QTest::newRow("srt too many cues")
        << u"srt"_s << many << 3 * int(kMaxLrcLines) + 1 << SubtitleFaultKind::TooLarge;
    QTest::newRow("vtt too many cues") << u"vtt"_s << u"WEBVTT\n\n"_s + many
                                       << 3 * int(kMaxLrcLines) + 3 << SubtitleFaultKind::TooLarge;
    QTest::newRow("vtt no header")
        << u"vtt"_s << u"00:01.000 --> 00:02.000\nx\n"_s << 1 << SubtitleFaultKind::NotThisForm;
    QTest::newRow("vtt comma in a time")
        << u"vtt"_s << u"WEBVTT\n\n"_s + cue << 3 << SubtitleFaultKind::BadTime;
    QTest::newRow("vtt identifier without times")
        << u"vtt"_s << u"WEBVTT\n\nid\n\n00:01.000 --> 00:02.000\nx\n"_s << 4
        << SubtitleFaultKind::BadStructure;
    QTest::newRow("vtt bad inline timestamp")
        << u"vtt"_s << u"WEBVTT\n\n00:01.000 --> 00:02.000\nok\nla <00:01.500>la <00:61.000>\n"_s
        << 5 << SubtitleFaultKind::BadTime;
}

void TestSrtVtt::damagedFileGivesItsFirstFault()
{
    QFETCH(QString, form);
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(SubtitleFaultKind, kind);
    const auto read = readAs(form, text);
    QVERIFY(!read.ok());
    QCOMPARE(read.error(), (SubtitleFault{line, kind}));
}

void TestSrtVtt::writtenAndReadBack_data()
{
    QTest::addColumn<SubtitleSource>("source");
    QTest::addColumn<QStringList>("srtLines"); // SRT keeps no word times
    // The words' end before a break is kept in SRT as an empty line there.
    QTest::newRow("whole lines and word times with ends")
        << song({line(1000, u"one two"_s, {0, 4}, {1000, 1600}, 2200), line(2500, u"three"_s),
                 line(4000, u"日本語の歌"_s, {0, 1, 2, 3, 4}, {4000, 4100, 4200, 4300, 4400}, 4900),
                 line(6000, u"& <last>"_s)},
                8000)
        << QStringList{u"1000 one two"_s, u"2500 three"_s, u"4000 日本語の歌"_s, u"4900 "_s,
                       u"6000 & <last>"_s};
}

void TestSrtVtt::writtenAndReadBack()
{
    QFETCH(SubtitleSource, source);
    QFETCH(QStringList, srtLines);
    const auto srt = ReadSrt(QString::fromUtf8(WriteSrt(source)));
    const auto vtt = ReadWebVtt(QString::fromUtf8(WriteWebVtt(source)));
    QVERIFY(srt.ok() && vtt.ok());
    QCOMPARE(shown(srt.value().lines), srtLines);
    QCOMPARE(vtt.value().lines.size(), source.song.lines.size());
    for (qsizetype i = 0; i < source.song.lines.size(); ++i) {
        const KaraokeLine& wrote = source.song.lines.at(i);
        QCOMPARE(vtt.value().lines.at(i).time, wrote.time);
        QCOMPARE(vtt.value().lines.at(i).text, wrote.text);
        QCOMPARE(vtt.value().lines.at(i).words, wrote.words);
    }
    QCOMPARE(srt.value().dropped, DroppedParts{});
    QCOMPARE(vtt.value().dropped, DroppedParts{});
}

void TestSrtVtt::ffmpegReadsTheSameCues_data()
{
    QTest::addColumn<QString>("form");
    QTest::newRow("srt") << u"srt"_s;
    QTest::newRow("vtt") << u"vtt"_s;
}

void TestSrtVtt::ffmpegReadsTheSameCues()
{
    QFETCH(QString, form);
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (ffmpeg.isEmpty())
        QSKIP("ffmpeg is not installed");
    testfiles::WorkArea area;
    const QString path = area.filePath(u"song."_s + form);
    const SubtitleSource source = smallSong(9000);
    testfiles::writeBytes(path, form == u"srt"_s ? WriteSrt(source) : WriteWebVtt(source));
    QByteArray out = testfiles::runProgram(
        ffmpeg, {u"-v"_s, u"error"_s, u"-i"_s, path, u"-f"_s, u"srt"_s, u"-"_s});
    out.replace("\r\n", "\n");
    // ffmpeg takes the inline timestamps for tags and leaves them out. SRT
    // has no way to escape "<": a player takes "<roll>" for a tag.
    const QByteArray third = form == u"srt"_s ? "rock &" : "rock & <roll>";
    QCOMPARE(out, "1\n00:00:00,000 --> 00:00:01,000\nSong - Singer\n\n"
                  "2\n00:00:01,000 --> 00:00:02,500\n世界は\n\n"
                  "3\n00:00:03,000 --> 00:00:06,000\n" +
                      third + "\n\n4\n00:00:06,000 --> 00:00:09,000\nlast\n\n");
}

void TestSrtVtt::pythonSrtReadsTheSameCues()
{
    const QString python = testfiles::pythonWith(u"srt"_s);
    if (python.isEmpty())
        QSKIP("python3-srt is not installed");
    testfiles::WorkArea area;
    const QString path = area.filePath(u"song.srt"_s);
    testfiles::writeBytes(path, WriteSrt(smallSong(9000)));
    const QString script = u"import srt, sys\n"
                           "for s in srt.parse(open(sys.argv[1], encoding='utf-8').read()):\n"
                           "    print(s.index, s.start // srt.timedelta(milliseconds=1),\n"
                           "          s.end // srt.timedelta(milliseconds=1), s.content)\n"_s;
    QCOMPARE(QString::fromUtf8(testfiles::runProgram(python, {u"-c"_s, script, path})),
             u"1 0 1000 Song - Singer\n2 1000 2500 世界は\n3 3000 6000 rock & <roll>\n"
             "4 6000 9000 last\n"_s);
}

QTEST_APPLESS_MAIN(TestSrtVtt)
#include "tst_srtvtt.moc"
