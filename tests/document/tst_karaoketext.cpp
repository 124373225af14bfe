#include "document/karaokelyrics.h"
#include "document/karaoketext.h"

#include "document/lyricsfile.h"
#include "document/lyricsformat.h"

#include <QTest>

#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(verselet::TimingRow)
Q_DECLARE_METATYPE(verselet::KaraokeDocument)

namespace {

const QString kSeparator = QString(35, u'-');
constexpr ExactTime kNone = std::nullopt;

// A line stamped at `ms`; with a split, timed word by word.
TimingRow stamped(qint32 ms, const QString& text, const SegmentStarts& starts = {},
                  const ExactTimes& times = {}, ExactTime end = {}, const Readings& readings = {})
{
    TimingRow row = TimingRow::stamped(ms, text);
    if (!starts.isEmpty())
        row.setWords({text, starts, times, end, readings});
    return row;
}

// 今日 read as `kana`, followed by one more character, sung at `ms` and
// half a second later.
TimingRow today(qint32 ms, const QString& kana, const QString& after)
{
    return stamped(ms, u"今日"_s + after, {0, 2}, {ms, ms + 500}, {}, {{0, 2, kana, {0}}});
}

QString crlf(QString text)
{
    return text.replace(u"\n"_s, u"\r\n"_s);
}

} // namespace

class TestKaraokeText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writtenAndReadBack_data();
    void writtenAndReadBack();
    void readAsTheMakersWriteIt_data();
    void readAsTheMakersWriteIt();
    void openedWhateverItsEncodingAndLineEnds_data();
    void openedWhateverItsEncodingAndLineEnds();
};

void TestKaraokeText::writtenAndReadBack_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("start");
    QTest::addColumn<TimingRows>("rows");
    QTest::addColumn<QStringList>("kept"); // the other "@" lines of the file opened
    QTest::addColumn<QString>("file");     // LF for CR LF
    QTest::addColumn<bool>("same");        // the document read back is the one written

    QTest::newRow("a mora each, a reading, the header")
        << u"歌\r\n歌手\r\nアルバム\r\n四行目"_s << QString()
        << TimingRows{stamped(12340, u"世界は"_s, {0, 2}, {12340, 12500, 12800, 13100}, 13600,
                              {{0, 2, u"せかい"_s, {0, 1, 2}}})}
        << QStringList()
        << u"[00:12:34]世界[00:13:10]は[00:13:60]\n\n@Title=歌\n@Artist=歌手\n@Album=アルバム\n"
           u"@Ruby1=世界,せ[00:12:50]か[00:12:80]い\n"_s
        << true;
    QTest::newRow("a line timed as a whole, the start text; hundredths truncated")
        << QString() << u"前奏"_s << TimingRows{stamped(65439, u"一行目"_s)} << QStringList()
        << u"[00:00:00]前奏\n[01:05:43]一行目\n"_s << false;
    QTest::newRow("a segment without a time is sung with the one before, in a reading too")
        << QString() << QString()
        << TimingRows{stamped(1000, u"あい大切"_s, {0, 1, 2}, {1000, kNone, 2000, kNone, 2500},
                              3000, {{2, 2, u"たいせつ"_s, {0, 1, 2, 3}}})}
        << QStringList()
        << u"[00:01:00]あい[00:02:00]大切[00:03:00]\n\n@Ruby1=大切,たい[00:02:50]せつ\n"_s << false;
    QTest::newRow("the same base read the same way: one line")
        << QString() << QString()
        << TimingRows{today(10000, u"きょう"_s, u"は"_s), today(20000, u"きょう"_s, u"も"_s)}
        << QStringList()
        << u"[00:10:00]今日[00:10:50]は\n[00:20:00]今日[00:20:50]も\n\n@Ruby1=今日,きょう\n"_s
        << true;
    QTest::newRow("the same base read two ways: each where it belongs")
        << QString() << QString()
        << TimingRows{today(10000, u"きょう"_s, u"は"_s), today(30000, u"こんにち"_s, u"は"_s),
                      today(50000, u"きょう"_s, u"も"_s)}
        << QStringList()
        << u"[00:10:00]今日[00:10:50]は\n[00:30:00]今日[00:30:50]は\n[00:50:00]今日[00:50:50]も\n"
           u"\n@Ruby1=今日,きょう,,[00:30:00]\n@Ruby2=今日,こんにち,[00:30:00],[00:50:00]\n"
           u"@Ruby3=今日,きょう,[00:50:00],\n"_s
        << true;
    QTest::newRow("where the base stands without a reading, no @Ruby line reaches")
        << QString() << QString()
        << TimingRows{stamped(10000, u"今日"_s, {0}, {10000}, {}, {{0, 2, u"きょう"_s, {0}}}),
                      stamped(20000, u"今日"_s)}
        << QStringList() << u"[00:10:00]今日\n[00:20:00]今日\n\n@Ruby1=今日,きょう,,[00:20:00]\n"_s
        << true;
    QTest::newRow("a reading over a segment without a tag could not be found: not written")
        << QString() << QString()
        << TimingRows{stamped(1000, u"あ今日"_s, {0, 1}, {1000}, {}, {{1, 2, u"きょう"_s, {0}}})}
        << QStringList() << u"[00:01:00]あ今日\n"_s << false;
    QTest::newRow("lines without a time are left out, a timed empty line stays")
        << QString() << QString()
        << TimingRows{TimingRow::fromTag(u"-------"_s, kSeparator),
                      TimingRow::fromTag(u"[--:--]"_s, u"not yet"_s),
                      TimingRow::fromTag(u"       "_s, u"unmarked"_s), stamped(2000, QString()),
                      stamped(3000, u"x"_s)}
        << QStringList() << u"[00:02:00]\n[00:03:00]x\n"_s << true;
    QTest::newRow("the other @ lines of the file opened, after its own")
        << u"T"_s << QString() << TimingRows{stamped(1000, u"a"_s)}
        << QStringList{u"@TaggingBy=誰か"_s, u"@SilencemSec=0"_s}
        << u"[00:01:00]a\n\n@Title=T\n@TaggingBy=誰か\n@SilencemSec=0\n"_s << true;
    QTest::newRow("from 100 minutes on, three digits of minutes")
        << QString() << QString()
        << TimingRows{stamped(6002340, u"long"_s, {0, 2}, {6002340, 6003000}, 6004560)}
        << QStringList() << u"[100:02:34]lo[100:03:00]ng[100:04:56]\n"_s << true;
}

void TestKaraokeText::writtenAndReadBack()
{
    QFETCH(QString, header);
    QFETCH(QString, start);
    QFETCH(TimingRows, rows);
    QFETCH(QStringList, kept);
    QFETCH(QString, file);
    QFETCH(bool, same);
    LrcOrigin origin;
    origin.karaokeLines = kept;
    const KaraokeDocument written = KaraokeFromRun(header, start, rows, origin);
    const QByteArray bytes = EncodeKaraokeText(written);
    QCOMPARE(bytes, crlf(file).toUtf8());

    // Opened again and written again: the same bytes.
    const std::optional<LoadedLyrics> loaded = LoadKaraokeLyrics(QString::fromUtf8(bytes));
    QVERIFY(loaded);
    const QStringList body = loaded->bodyText.split(u"\r\n"_s);
    TimingRows back;
    for (qsizetype i = 0; i < body.size(); ++i)
        back.append(TimingRow::fromTag(loaded->tagLines.at(i), body.at(i),
                                       loaded->exactTimes.value(i), loaded->wordTimes.value(i)));
    QCOMPARE(EncodeKaraokeText(
                 KaraokeFromRun(loaded->headerText, loaded->startText, back, loaded->lrcOrigin)),
             bytes);
    if (same)
        QCOMPARE(ParseKaraokeText(QString::fromUtf8(bytes)), written);
}

void TestKaraokeText::readAsTheMakersWriteIt_data()
{
    QTest::addColumn<QString>("file"); // LF for CR LF
    QTest::addColumn<bool>("read");
    QTest::addColumn<KaraokeDocument>("document");

    const auto line = [](ExactTime time, const QString& text, const LineWords& words = {}) {
        return KaraokeLine{time, text, words};
    };
    QTest::newRow("ranges, inner times and other @ lines")
        << u"@Title=歌\n[00:00:00]前奏\n[00:10:00]今[00:10:30]日[00:10:60]は[00:11:00]\n"
           u"[00:20:00]今日は\n[00:30:00]世界[00:31:00]\n夜明け\n\n"
           u"@Ruby1=今日,きょう,,[00:15:00]\n@Ruby2=今日,こんにち,[00:15:00]\n"
           u"@Ruby3=世界,せ[00:30:50]か[00:30:80]い\n@TaggingBy=誰か\n@artist=歌手\n"_s
        << true
        << KaraokeDocument{
               u"歌"_s,
               u"歌手"_s,
               {},
               u"前奏"_s,
               {line(10000, u"今日は"_s,
                     {u"今日は"_s, {0, 2}, {10000, 10600}, 11000, {{0, 2, u"きょう"_s, {0}}}}),
                line(20000, u"今日は"_s,
                     {u"今日は"_s, {0, 2}, {20000}, {}, {{0, 2, u"こんにち"_s, {0}}}}),
                line(30000, u"世界"_s,
                     {u"世界"_s,
                      {0},
                      {30000, 30500, 30800},
                      31000,
                      {{0, 2, u"せかい"_s, {0, 1, 2}}}}),
                line(kNone, u"夜明け"_s)},
               {u"@TaggingBy=誰か"_s}};
    QTest::newRow("a unit the base ends inside goes on without a time")
        << u"[00:01:00]世界は[00:02:00]\n@Ruby1=世界,せかい\n"_s << true
        << KaraokeDocument{{},
                           {},
                           {},
                           {},
                           {line(1000, u"世界は"_s,
                                 {u"世界は"_s, {0, 2}, {1000}, 2000, {{0, 2, u"せかい"_s, {0}}}})},
                           {}};
    QTest::newRow("a base inside a unit is not found")
        << u"[00:01:00]異世界\n@Ruby1=世界,せかい\n"_s << true
        << KaraokeDocument{{}, {}, {}, {}, {line(1000, u"異世界"_s)}, {}};
    QTest::newRow("the longest base at a place")
        << u"[00:01:00]世界\n@Ruby1=世,よ\n@Ruby2=世界,せかい\n"_s << true
        << KaraokeDocument{
               {},
               {},
               {},
               {},
               {line(1000, u"世界"_s, {u"世界"_s, {0}, {1000}, {}, {{0, 2, u"せかい"_s, {0}}}})},
               {}};
    QTest::newRow("the first @Ruby line whose times hold; an empty reading gives none")
        << u"[00:01:00]今日\n[00:20:00]今日\n@Ruby1=今日,,,[00:10:00]\n@Ruby2=今日,きょう\n"_s
        << true
        << KaraokeDocument{
               {},
               {},
               {},
               {},
               {line(1000, u"今日"_s),
                line(20000, u"今日"_s, {u"今日"_s, {0}, {20000}, {}, {{0, 2, u"きょう"_s, {0}}}})},
               {}};
    QTest::newRow("a @Ruby line with a range that is no time is left out")
        << u"[00:01:00]今日\n@Ruby1=今日,きょう,soon\n"_s << true
        << KaraokeDocument{{}, {}, {}, {}, {line(1000, u"今日"_s)}, {}};
    QTest::newRow("brackets that are no tag are text; one digit of minutes is a tag")
        << u"[00:01:00]a[0:1:00]b[00:60:00]c[00:02:5]d[1:02:03]\n"_s << true
        << KaraokeDocument{{},
                           {},
                           {},
                           {},
                           {line(1000, u"a[0:1:00]b[00:60:00]c[00:02:5]d"_s,
                                 {u"a[0:1:00]b[00:60:00]c[00:02:5]d"_s, {0}, {1000}, 62030})},
                           {}};
    QTest::newRow("text before the first tag is its; of two tags at one place the later")
        << u"あ[00:01:00]い[00:02:00][00:02:50]う\n[00:03:00]え\n"_s << true
        << KaraokeDocument{
               {},
               {},
               {},
               {},
               {line(1000, u"あいう"_s, {u"あいう"_s, {0, 2}, {1000, 2500}}), line(3000, u"え"_s)},
               {}};
    QTest::newRow("blanks and byte order marks before a line")
        << u"\uFEFF  [00:01:00]a\n\t@Title=T\n"_s << true
        << KaraokeDocument{u"T"_s, {}, {}, {}, {line(1000, u"a"_s)}, {}};
    QTest::newRow("no line begins with a tag")
        << u"plain\na[00:01:00]b\n[00:01.00]lrc\n[00:01]timed\n@Title=T\n"_s << false
        << KaraokeDocument{};
}

void TestKaraokeText::readAsTheMakersWriteIt()
{
    QFETCH(QString, file);
    QFETCH(bool, read);
    QFETCH(KaraokeDocument, document);
    const std::optional<KaraokeDocument> parsed = ParseKaraokeText(crlf(file));
    QCOMPARE(parsed.has_value(), read);
    if (read)
        QCOMPARE(*parsed, document);
}

void TestKaraokeText::openedWhateverItsEncodingAndLineEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("karaoke");
    // "[00:01:00]一[00:01:50]二" with the title 歌.
    const QByteArray utf8 =
        "[00:01:00]\xE4\xB8\x80[00:01:50]\xE4\xBA\x8C\r\n@Title=\xE6\xAD\x8C\r\n";
    const QByteArray cp932 = "[00:01:00]\x88\xEA[00:01:50]\x93\xF1\r\n@Title=\x89\xCC\r\n";
    QTest::newRow("UTF-8 with a byte order mark, CR LF") << "\xEF\xBB\xBF" + utf8 << true;
    QTest::newRow("UTF-8, LF") << QByteArray(utf8).replace("\r\n", "\n") << true;
    QTest::newRow("Shift-JIS, CR LF") << cp932 << true;
    QTest::newRow("Shift-JIS, LF") << QByteArray(cp932).replace("\r\n", "\n") << true;
    QTest::newRow("a timed lyrics text stays one")
        << "\x89\xCC\r\n[00:00]\r\n" + QByteArray(42, '-') + "\r\n[00:01]\x88\xEA\x93\xF1\r\n"
        << false;
}

void TestKaraokeText::openedWhateverItsEncodingAndLineEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, karaoke);
    testfiles::WorkArea home;
    const QString path = home.filePath(u"song.txt"_s);
    testfiles::writeBytes(path, bytes);
    const auto opened = ReadLyricsFile(path);
    QVERIFY(opened);
    QCOMPARE(opened.value().karaokeText, karaoke);
    const LoadedLyrics& lyrics = opened.value().lyrics;
    QVERIFY(lyrics.timed);
    QCOMPARE(lyrics.headerText, u"歌"_s);
    QCOMPARE(lyrics.bodyText.split(u"\r\n"_s).mid(0, 2), (QStringList{kSeparator, u"一二"_s}));
    QCOMPARE(lyrics.tagLines.mid(0, 2), (QStringList{u"-------"_s, u"[00:01]"_s}));
    if (karaoke) {
        QCOMPARE(lyrics.exactTimes, (ExactTimes{kNone, 1000}));
        QCOMPARE(lyrics.wordTimes.value(1), (LineWords{u"一二"_s, {0, 1}, {1000, 1500}, {}, {}}));
    }
}

QTEST_APPLESS_MAIN(TestKaraokeText)
#include "tst_karaoketext.moc"
