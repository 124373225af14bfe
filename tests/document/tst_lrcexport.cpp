#include "document/lrcexport.h"
#include "document/lrcformat.h"
#include "document/lrcimport.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(verselet::LrcLine)

namespace {

const QString kSeparator = QString(35, u'-');

// An exact time slot for a pair: none.
constexpr ExactTime kNone = std::nullopt;

} // namespace

class TestLrcExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void timesHaveHundredthsAndTheTagsSeconds_data();
    void timesHaveHundredthsAndTheTagsSeconds();
    void fileBytes_data();
    void fileBytes();
    void untimedLyricsAreCounted_data();
    void untimedLyricsAreCounted();
    void offeredNameEndsInLrc_data();
    void offeredNameEndsInLrc();
    void wordTimesGoOutAndComeBack_data();
    void wordTimesGoOutAndComeBack();
    void enhancedFileOpenedAndWrittenBack_data();
    void enhancedFileOpenedAndWrittenBack();
    void theTrackFillsWhatTheHeaderLeavesOut_data();
    void theTrackFillsWhatTheHeaderLeavesOut();
};

void TestLrcExport::timesHaveHundredthsAndTheTagsSeconds_data()
{
    QTest::addColumn<qint32>("ms");
    QTest::addColumn<QString>("time"); // three decimals: written to the millisecond
    QTest::newRow("zero") << 0 << u"[00:00.00]"_s;
    QTest::newRow("9 ms is not yet a hundredth") << 9 << u"[00:00.00]"_s;
    QTest::newRow("10 ms") << 10 << u"[00:00.01]"_s;
    QTest::newRow("truncated, never rounded") << 12987 << u"[00:12.98]"_s;
    QTest::newRow("last of a minute") << 59999 << u"[00:59.99]"_s;
    QTest::newRow("a minute") << 60000 << u"[01:00.00]"_s;
    QTest::newRow("last two-digit minute") << 5999999 << u"[99:59.99]"_s;
    QTest::newRow("100 minutes") << 6000000 << u"[100:00.00]"_s;
    QTest::newRow("negative") << -5 << u"[00:00.00]"_s;
    QTest::newRow("to the millisecond") << 12987 << u"[00:12.987]"_s;
    QTest::newRow("milliseconds below a hundredth") << 60005 << u"[01:00.005]"_s;
}

void TestLrcExport::timesHaveHundredthsAndTheTagsSeconds()
{
    QFETCH(qint32, ms);
    QFETCH(QString, time);
    const bool thousandths = time.size() - time.indexOf(u'.') == 5;
    QCOMPARE(FormatLrcTime(ms, thousandths ? LrcPrecision::Milliseconds : LrcPrecision::Hundredths),
             time);
}

void TestLrcExport::fileBytes_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<TaggedLine>>("pairs");
    QTest::addColumn<ExactTimes>("exact");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("metadata from the header's first three lines")
        << u"夜明けの歌\r\n歌う人\r\n一枚目\r\n四行目は使わない"_s << u"（前奏）"_s
        << QList<TaggedLine>{} << ExactTimes{}
        << "[ti:\xE5\xA4\x9C\xE6\x98\x8E\xE3\x81\x91\xE3\x81\xAE\xE6\xAD\x8C]\n"
           "[ar:\xE6\xAD\x8C\xE3\x81\x86\xE4\xBA\xBA]\n"
           "[al:\xE4\xB8\x80\xE6\x9E\x9A\xE7\x9B\xAE]\n"
           "[re:Verselet]\n"
           "[00:00.00]\xEF\xBC\x88\xE5\x89\x8D\xE5\xA5\x8F\xEF\xBC\x89\n"_ba;
    QTest::newRow("empty header lines and an empty start text are left out")
        << u"\r\nArtist"_s << QString() << QList<TaggedLine>{} << ExactTimes{}
        << "[ar:Artist]\n[re:Verselet]\n"_ba;
    QTest::newRow("exact times give the hundredths, whole tags .00")
        << QString() << u"intro"_s
        << QList<TaggedLine>{{u"-------"_s, kSeparator},
                             {u"[00:12]"_s, u"one"_s},
                             {u"[01:05]"_s, u"two"_s},
                             {u"[01:05]"_s, u"three"_s}}
        << ExactTimes{kNone, 12987, kNone, 65009}
        << "[re:Verselet]\n[00:00.00]intro\n[00:12.98]one\n[01:05.00]two\n[01:05.00]three\n"_ba;
    QTest::newRow("an exact time its tag no longer truncates to is not used")
        << QString() << QString() << QList<TaggedLine>{{u"[00:20]"_s, u"edited by hand"_s}}
        << ExactTimes{12987} << "[re:Verselet]\n[00:20.00]edited by hand\n"_ba;
    QTest::newRow("from 100 minutes on, three digits of minutes")
        << QString() << QString()
        << QList<TaggedLine>{{u"[100:02"_s, u"long"_s}, {u"[99:59]"_s, u"x"_s}}
        << ExactTimes{6002345, 5999999} << "[re:Verselet]\n[100:02.34]long\n[99:59.99]x\n"_ba;
    QTest::newRow("body order, not time order")
        << QString() << QString()
        << QList<TaggedLine>{{u"[00:30]"_s, u"b"_s}, {u"[00:10]"_s, u"a"_s}} << ExactTimes{}
        << "[re:Verselet]\n[00:30.00]b\n[00:10.00]a\n"_ba;
    QTest::newRow("every line with a time, whatever its text; none without")
        << QString() << QString()
        << QList<TaggedLine>{{u"-------"_s, kSeparator},    // the separator
                             {u"[00:01]"_s, kSeparator},    // hyphens, stamped
                             {u"[00:02]"_s, QString()},     // a timed blank: clears the screen
                             {u"       "_s, u"unmarked"_s}, // unmarked
                             {u"[--:--]"_s, u"not yet"_s},  // no time yet
                             {u"[ab:cd]"_s, u"no time"_s},  // a tag that holds none
                             {QString(), QString()},        // empty unmarked line
                             {u"-------"_s, u"-------"_s},  // a closing separator read back
                             {u"[00:03]"_s, u"kept"_s}}
        << ExactTimes{kNone, 1500, 2500, 3500, kNone, kNone, kNone, kNone, 3999}
        << ("[re:Verselet]\n[00:01.50]" + QByteArray(35, '-') + "\n[00:02.50]\n[00:03.99]kept\n");
    QTest::newRow("UTF-8, whatever code page 932 could hold")
        << u"曲 ～ 名"_s << QString() << QList<TaggedLine>{{u"[00:01]"_s, u"😀 〜"_s}}
        << ExactTimes{}
        << "[ti:\xE6\x9B\xB2 \xEF\xBD\x9E \xE5\x90\x8D]\n[re:Verselet]\n"
           "[00:01.00]\xF0\x9F\x98\x80 \xE3\x80\x9C\n"_ba;
}

void TestLrcExport::fileBytes()
{
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(QList<TaggedLine>, pairs);
    QFETCH(ExactTimes, exact);
    QFETCH(QByteArray, bytes);
    TimingRows rows;
    for (qsizetype i = 0; i < pairs.size(); ++i)
        rows.append(TimingRow::fromTag(pairs.at(i).tag, pairs.at(i).text, exact.value(i)));
    QCOMPARE(EncodeLrc(LrcFromRun(header, start, rows)), bytes);
}

void TestLrcExport::untimedLyricsAreCounted_data()
{
    QTest::addColumn<QList<TaggedLine>>("pairs");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lyrics"); // lyric lines, and those with a time
    QTest::addColumn<int>("timed");
    QTest::newRow("none") << QList<TaggedLine>{{u"-------"_s, kSeparator}, {u"[00:01]"_s, u"a"_s}}
                          << 0 << 1 << 1;
    QTest::newRow("lyric lines at [--:--]")
        << QList<TaggedLine>{{u"[--:--]"_s, u"a"_s}, {u"[00:01]"_s, u"b"_s}, {u"[--:--]"_s, u"c"_s}}
        << 2 << 3 << 1;
    QTest::newRow("not lyrics: empty, separator; not untimed: unmarked")
        << QList<TaggedLine>{{u"[--:--]"_s, QString()},
                             {u"[--:--]"_s, kSeparator},
                             {u"       "_s, u"unmarked"_s},
                             {u"-------"_s, u"never marked"_s},
                             {u"[00:02]"_s, QString()}}
        << 0 << 2 << 0;
    QTest::newRow("a tag typed wrong is no time")
        << QList<TaggedLine>{{u"[0a:01]"_s, u"a"_s}, {u"[00:00]"_s, u"b"_s}} << 0 << 2 << 1;
}

void TestLrcExport::untimedLyricsAreCounted()
{
    QFETCH(QList<TaggedLine>, pairs);
    QFETCH(int, count);
    QFETCH(int, lyrics);
    QFETCH(int, timed);
    QCOMPARE(CountUntimedLyrics(pairs), count);
    QCOMPARE(CountLyricLines(pairs), (LyricLineCounts{lyrics, timed}));
}

void TestLrcExport::offeredNameEndsInLrc_data()
{
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("offered");
    QTest::newRow(".txt") << u"/home/u/歌.txt"_s << u"/home/u/歌.lrc"_s;
    QTest::newRow("upper case") << u"/home/u/song.TXT"_s << u"/home/u/song.lrc"_s;
    QTest::newRow("dots in the name") << u"/home/u/v1.2.txt"_s << u"/home/u/v1.2.lrc"_s;
    QTest::newRow("no extension") << u"/home/u/song"_s << u"/home/u/song.lrc"_s;
    QTest::newRow("already .lrc") << u"/home/u/song.lrc"_s << u"/home/u/song.lrc"_s;
    QTest::newRow("no name kept") << QString() << QString();
}

void TestLrcExport::offeredNameEndsInLrc()
{
    QFETCH(QString, kept);
    QFETCH(QString, offered);
    QCOMPARE(LrcFileNameFor(kept), offered);
}

void TestLrcExport::wordTimesGoOutAndComeBack_data()
{
    QTest::addColumn<LrcLine>("line");
    QTest::addColumn<QString>("enhanced"); // the line as enhanced LRC writes it
    QTest::addColumn<QString>("read");     // another way of writing it that reads as the same line
    QTest::newRow("words with an end")
        << LrcLine{12340,
                   u"きょうは 晴れ"_s,
                   {{0, 12340}, {2, 12801}, {3, 13250}, {5, 13999}},
                   14500}
        << u"[00:12.34]<00:12.34>きょ<00:12.80>う<00:13.25>は <00:13.99>晴れ<00:14.50>"_s
        << u"[00:12.34]<0:12.340>きょ<00:12.80>う<00:13.25>は <00:13.999>晴れ<00:14.5>"_s;
    QTest::newRow("words without an end")
        << LrcLine{60000, u"Run away"_s, {{0, 60000}, {4, 60500}}, {}}
        << u"[01:00.00]<01:00.00>Run <01:00.50>away"_s
        << u"[01:00.00]<01:00.00><01:00.00>Run <01:00.50>away"_s;
    QTest::newRow("text before the first mark is sung at the line's time")
        << LrcLine{1000, u"ab cd"_s, {{0, 1000}, {3, 2000}}, {}}
        << u"[00:01.00]<00:01.00>ab <00:02.00>cd"_s << u"[00:01.00]ab <00:02.00>cd"_s;
    QTest::newRow("a line timed as a whole: one mark at its time")
        << LrcLine{1000, u"plain"_s, {}, {}} << u"[00:01.00]<00:01.00>plain"_s
        << u"[00:01.00]plain"_s;
}

void TestLrcExport::wordTimesGoOutAndComeBack()
{
    QFETCH(LrcLine, line);
    QFETCH(QString, enhanced);
    QFETCH(QString, read);
    LrcDocument document;
    document.startText = u"intro"_s;
    document.lines = {line};
    // Plain LRC writes today's files: the words' times are left out. In
    // enhanced LRC every line with a text begins with a mark.
    const QString head = u"[re:Verselet]\n[00:00.00]<00:00.00>intro\n"_s;
    QCOMPARE(ComposeLrc(document),
             u"[re:Verselet]\n[00:00.00]intro\n[%1]%2\n"_s.arg(enhanced.mid(1, 8), line.text));
    QCOMPARE(ComposeLrc(document, LrcFlavour::Enhanced), head + enhanced + u'\n');
    for (const QString& written : {enhanced, read}) {
        auto back = ParseLrc(QString(head + written + u'\n').replace(u"\n"_s, u"\r\n"_s));
        QVERIFY(back);
        // Times come back to the hundredth: a written file reads back as
        // itself. (A file read with milliseconds is written with them.)
        back->origin.precision = LrcPrecision::Hundredths;
        QCOMPARE(ComposeLrc(*back, LrcFlavour::Enhanced), head + enhanced + u'\n');
        QCOMPARE(back->lines.first().text, line.text);
        QCOMPARE(back->lines.first().words.size(), line.words.size());
    }
}

void TestLrcExport::enhancedFileOpenedAndWrittenBack_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("editedLine"); // the second line's text changed to this, when given
    QTest::addColumn<QString>("written");    // as enhanced LRC; empty: the file as it was
    const QString file =
        u"[ti:歌]\n[re:Verselet]\n[00:00.00]<00:00.00>前奏\n"
        u"[00:01.50]<00:01.50>きょ<00:02.00>う<00:02.50>は<00:03.10>\n"
        u"[00:04.00]<00:04.00>Run <00:04.25>away\n[00:06.00]<00:06.00>whole line\n"_s;
    QTest::newRow("as it was read") << file << QString() << QString();
    QTest::newRow("a changed line loses its words")
        << file << u"Run far"_s << QString(file).replace(u"Run <00:04.25>away"_s, u"Run far"_s);
    QTest::newRow("a segment without a time is sung with the one before")
        << u"[re:Verselet]\n[00:01.00]<00:01.00>ab <00:02.00>cd\n"_s << QString()
        << u"[re:Verselet]\n[00:01.00]<00:01.00>ab <00:02.00>cd\n"_s;
    QTest::newRow("blanks around the marks, as a common form has them")
        << u"[re:Verselet]\n[00:00.00] <00:00.00> intro\n"
           u"[00:01.00] <00:01.20> When <00:01.50> the <00:02.00> truth <00:03.00>\n"
           u"[00:04.00] <00:04.00> la <00:04.50> la \n[00:05.00]<00:05.00>きょ<00:05.50>う\n"_s
        << QString() << QString();
    QTest::newRow("every repeat's words move with its own tag")
        << u"[re:Verselet]\n[00:10.00][00:20.00]<00:10.00>la <00:10.50>la<00:11.00>\n"_s
        << QString()
        << u"[re:Verselet]\n[00:10.00]<00:10.00>la <00:10.50>la<00:11.00>\n"
           u"[00:20.00]<00:20.00>la <00:20.50>la<00:21.00>\n"_s;
    QTest::newRow("its other tags, an applied offset left out, milliseconds")
        << u"[ti:T]\n[au:Author]\n[by: Someone ]\n[re:Other 1.0]\n[length:03:20]\n[ve:1.0]\n"
           u"[offset:+100]\n[00:01.100]a\n[00:02.250]<00:02.250>b <00:02.500>c\n"_s
        << QString()
        << u"[ti:T]\n[au:Author]\n[by: Someone ]\n[length:03:20]\n[ve:1.0]\n[re:Verselet]\n"
           u"[00:01.000]<00:01.000>a\n[00:02.150]<00:02.150>b <00:02.400>c\n"_s;
}

void TestLrcExport::enhancedFileOpenedAndWrittenBack()
{
    QFETCH(QString, file);
    QFETCH(QString, editedLine);
    QFETCH(QString, written);
    const auto loaded = LoadLrcLyrics(QString(file).replace(u"\n"_s, u"\r\n"_s));
    QVERIFY(loaded);
    QStringList body = loaded->bodyText.split(u"\r\n"_s);
    if (!editedLine.isEmpty())
        body[2] = editedLine;
    TimingRows rows;
    for (qsizetype i = 0; i < body.size(); ++i)
        rows.append(TimingRow::fromTag(loaded->tagLines.at(i), body.at(i),
                                       loaded->exactTimes.value(i), loaded->wordTimes.value(i)));
    const LrcDocument lrc =
        LrcFromRun(loaded->headerText, loaded->startText, rows, loaded->lrcOrigin);
    QCOMPARE(EncodeLrc(lrc, LrcFlavour::Enhanced), (written.isEmpty() ? file : written).toUtf8());
}

void TestLrcExport::theTrackFillsWhatTheHeaderLeavesOut_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("kept"); // metadata lines of the opened file
    QTest::addColumn<qint32>("length");
    QTest::addColumn<QByteArray>("head"); // what the file has before [re:]

    QTest::newRow("an empty header: all from the track")
        << QString() << QStringList() << 225999
        << "[ti:Song]\n[ar:Singer]\n[al:Album]\n[length:03:45]\n"_ba;
    QTest::newRow("the header's lines win, a blank one does not")
        << u"題名\r\n \r\n"_s << QStringList() << 60000
        << "[ti:\xE9\xA1\x8C\xE5\x90\x8D]\n[ar:Singer]\n[al:Album]\n[length:01:00]\n"_ba;
    QTest::newRow("the opened file's length stays, in its place")
        << u"A\r\nB\r\nC"_s << QStringList{u"[length: 3:40]"_s, u"[by:x]"_s} << 225999
        << "[ti:A]\n[ar:B]\n[al:C]\n[length: 3:40]\n[by:x]\n"_ba;
    QTest::newRow("no length known: none written")
        << u"A\r\nB\r\nC"_s << QStringList() << 0 << "[ti:A]\n[ar:B]\n[al:C]\n"_ba;
}

void TestLrcExport::theTrackFillsWhatTheHeaderLeavesOut()
{
    QFETCH(QString, header);
    QFETCH(QStringList, kept);
    QFETCH(qint32, length);
    QFETCH(QByteArray, head);
    LrcOrigin origin;
    origin.metadata = kept;
    LrcDocument lrc = LrcFromRun(header, QString(), {}, origin);
    FillFromTrack(lrc, {u"Song"_s, u"Singer"_s, u"Album"_s}, length);
    const QByteArray bytes = EncodeLrc(lrc);
    QCOMPARE(bytes.first(bytes.indexOf("[re:")), head);
}

QTEST_APPLESS_MAIN(TestLrcExport)
#include "tst_lrcexport.moc"
