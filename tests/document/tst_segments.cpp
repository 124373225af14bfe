#include "document/linewords.h"
#include "document/segments.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

class TestSegments final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesSplitAsTheyAreSung_data();
    void linesSplitAsTheyAreSung();
    void onlyTheBarsMayChange_data();
    void onlyTheBarsMayChange();
    void segmentsFillUpToTheNextTime_data();
    void segmentsFillUpToTheNextTime();
    void movedTimesNeverGoTheOtherWay_data();
    void movedTimesNeverGoTheOtherWay();
};

void TestSegments::linesSplitAsTheyAreSung_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("barred");
    QTest::newRow("small kana join") << u"きょうは"_s << u"きょ|う|は"_s;
    QTest::newRow("ー joins") << u"ラーメン"_s << u"ラー|メ|ン"_s;
    QTest::newRow("half-width kana") << u"ｷｬｯﾁｰ"_s << u"ｷｬｯ|ﾁｰ"_s;
    QTest::newRow("punctuation joins the one before") << u"そう、ね。"_s << u"そ|う、|ね。"_s;
    QTest::newRow("opening brackets join the one after") << u"「はい」"_s << u"「は|い」"_s;
    QTest::newRow("iteration mark") << u"時々"_s << u"時|々"_s;
    QTest::newRow("ideographic blanks") << u"　全角　空白"_s << u"　全|角　|空|白"_s;
    QTest::newRow("words keep their blanks")
        << u"Run through the night"_s << u"Run |through |the |night"_s;
    QTest::newRow("blanks at both ends") << u"  lead and trail  "_s << u"  lead |and |trail  "_s;
    QTest::newRow("apostrophes and commas") << u"don't stop, baby!"_s << u"don't |stop, |baby!"_s;
    QTest::newRow("prolonging marks join the one before")
        << u"とう～ね〜い~う−え─お〰"_s << u"と|う～|ね〜|い~|う−|え─|お〰"_s;
    QTest::newRow("marks before a word open it")
        << u"’til \"hi\" 'cause 'n' ...and …now ¡Sí!¿Y? #1"_s
        << u"’til |\"hi\" |'cause |'n' |...and |…now |¡Sí!|¿Y? |#1"_s;
    QTest::newRow("after a word or alone they stay")
        << u"said \"yes\" C# wait... . go \""_s << u"said |\"yes\" |C# |wait... . |go \""_s;
    QTest::newRow("mixed") << u"夜明けの sky に"_s << u"夜|明|け|の |sky |に"_s;
    QTest::newRow("mixed without blanks") << u"夏sky夏"_s << u"夏|sky|夏"_s;
    QTest::newRow("combining marks stay") << u"か\u3099き"_s << u"か\u3099|き"_s;
    QTest::newRow("outside the BMP") << u"🎤歌𠮷"_s << u"🎤|歌|𠮷"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestSegments::linesSplitAsTheyAreSung()
{
    QFETCH(QString, text);
    QFETCH(QString, barred);
    const SegmentStarts starts = DefaultSegments(text);
    QCOMPARE(BarredSegments(text, starts), barred);
    QCOMPARE(SegmentsFromBars(text, barred), std::optional(starts));
}

void TestSegments::onlyTheBarsMayChange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("barred");
    QTest::addColumn<bool>("taken");
    QTest::newRow("bars moved") << u"きょうは"_s << u"きょう|は"_s << true;
    QTest::newRow("a word split") << u"Run through"_s << u"Ru|n through"_s << true;
    QTest::newRow("no bars: one segment") << u"きょうは"_s << u"きょうは"_s << true;
    QTest::newRow("bar first") << u"きょうは"_s << u"|きょうは"_s << false;
    QTest::newRow("bar last") << u"きょうは"_s << u"きょうは|"_s << false;
    QTest::newRow("two bars together") << u"きょうは"_s << u"きょ||うは"_s << false;
    QTest::newRow("text changed") << u"きょうは"_s << u"きよ|うは"_s << false;
    QTest::newRow("text shortened") << u"きょうは"_s << u"きょ|う"_s << false;
    QTest::newRow("a bar inside a character") << u"か\u3099き"_s << u"か|\u3099き"_s << false;
    QTest::newRow("a bar inside a surrogate pair") << u"🎤歌"_s << u"\xD83C|\xDFA4歌"_s << false;
    QTest::newRow("a text that holds a bar") << u"a|b"_s << u"a|b"_s << false;
}

void TestSegments::onlyTheBarsMayChange()
{
    QFETCH(QString, text);
    QFETCH(QString, barred);
    QFETCH(bool, taken);
    const auto starts = SegmentsFromBars(text, barred);
    QCOMPARE(starts.has_value(), taken);
    if (taken)
        QCOMPARE(BarredSegments(text, *starts), barred);
}

void TestSegments::segmentsFillUpToTheNextTime_data()
{
    // "ab cd ef": segments at 1000, (none), 3000; the end at 5000 or none.
    QTest::addColumn<ExactTime>("end");
    QTest::addColumn<qint32>("at");
    QTest::addColumn<int>("segment");
    QTest::addColumn<double>("fraction");
    QTest::newRow("before the line") << ExactTime(5000) << 999 << -1 << 0.0;
    QTest::newRow("the first begins") << ExactTime(5000) << 1000 << 0 << 0.0;
    QTest::newRow("a segment without a time is sung with the one before")
        << ExactTime(5000) << 2000 << 0 << 0.5;
    QTest::newRow("the last fills up to the end") << ExactTime(5000) << 4500 << 2 << 0.75;
    QTest::newRow("and stays full after it") << ExactTime(5000) << 9000 << 2 << 1.0;
    QTest::newRow("a last segment without an end is whole") << ExactTime() << 3000 << 2 << 1.0;
}

void TestSegments::segmentsFillUpToTheNextTime()
{
    QFETCH(ExactTime, end);
    QFETCH(qint32, at);
    QFETCH(int, segment);
    QFETCH(double, fraction);
    const LineWords words{u"ab cd ef"_s, {0, 3, 6}, {1000, std::nullopt, 3000}, end};
    QCOMPARE(SungAt(words, at), (SungPoint{segment, fraction}));
}

void TestSegments::movedTimesNeverGoTheOtherWay_data()
{
    // "ab cd ef" at 1000, 4990 and 3840 (out of order, as a file may have
    // them), ending at 6000; a segment (3: the end) moved to a time.
    QTest::addColumn<int>("segment");
    QTest::addColumn<qint32>("to");
    QTest::addColumn<ExactTimes>("after"); // and the end
    QTest::newRow("not pulled back by a later one")
        << 1 << 5090 << ExactTimes{1000, 4990, 3840, 6000};
    QTest::newRow("towards order") << 1 << 4000 << ExactTimes{1000, 4000, 3840, 6000};
    QTest::newRow("the end, after the last time")
        << 3 << 2000 << ExactTimes{1000, 4990, 3840, 3840};
}

void TestSegments::movedTimesNeverGoTheOtherWay()
{
    QFETCH(int, segment);
    QFETCH(qint32, to);
    QFETCH(ExactTimes, after);
    LineWords words{u"ab cd ef"_s, {0, 3, 6}, {1000, 4990, 3840}, 6000};
    QVERIFY(words.move(segment, to));
    QCOMPARE(words.times + ExactTimes{words.end}, after);
}

QTEST_APPLESS_MAIN(TestSegments)
#include "tst_segments.moc"
