#include "document/timetag.h"

#include <QTest>

#include <limits>

using namespace verselet;
using namespace Qt::StringLiterals;

class TestTimeTag : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatTruncatesToWholeSeconds_data();
    void formatTruncatesToWholeSeconds();
    void tagReadsBackFromFixedPositions_data();
    void tagReadsBackFromFixedPositions();
    void formatThenReadGivesTheTruncatedPosition();
    void exactTimeCountsWhileItsTagTruncatesIt_data();
    void exactTimeCountsWhileItsTagTruncatesIt();
};

void TestTimeTag::formatTruncatesToWholeSeconds_data()
{
    QTest::addColumn<qint32>("ms");
    QTest::addColumn<QString>("tag");
    for (const qint32 ms : {0, 1, 99, 100, 999})
        QTest::addRow("%d", ms) << ms << u"[00:00]"_s;
    QTest::newRow("1000") << 1000 << u"[00:01]"_s;
    QTest::newRow("59999 is not a minute") << 59999 << u"[00:59]"_s;
    QTest::newRow("60000") << 60000 << u"[01:00]"_s;
    QTest::newRow("65432") << 65432 << u"[01:05]"_s;
    QTest::newRow("599999") << 599999 << u"[09:59]"_s;
    QTest::newRow("600000") << 600000 << u"[10:00]"_s;
    QTest::newRow("3725000") << 3725000 << u"[62:05]"_s;
    QTest::newRow("5999999") << 5999999 << u"[99:59]"_s;
    QTest::newRow("100 minutes take three digits") << 6000000 << u"[100:00]"_s;
    QTest::newRow("largest position") << std::numeric_limits<qint32>::max() << u"[35791:23]"_s;
    QTest::newRow("before the track start") << -1 << u"[00:00]"_s;
    QTest::newRow("far before the track start") << -65000 << u"[00:00]"_s;
    QTest::newRow("smallest position") << std::numeric_limits<qint32>::min() << u"[00:00]"_s;
}

void TestTimeTag::formatTruncatesToWholeSeconds()
{
    QFETCH(qint32, ms);
    QFETCH(QString, tag);
    QCOMPARE(FormatTimeTag(ms), tag);
}

void TestTimeTag::tagReadsBackFromFixedPositions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("ms");
    QTest::newRow("bare tag") << u"[01:05]"_s << 65000.0;
    QTest::newRow("whole timing-list line") << u"[01:05]一行目の歌詞"_s << 65000.0;
    QTest::newRow("zero") << u"[00:00]"_s << 0.0;
    QTest::newRow("placeholder reads as zero") << u"[--:--]"_s << 0.0;
    QTest::newRow("fixed positions only") << u"[9:05]x"_s << 545000.0;
    QTest::newRow("100 minutes do not read back") << u"[100:00]"_s << 600000.0;
    QTest::newRow("largest two-digit tag") << u"[99:59]"_s << 5999000.0;
    QTest::newRow("letters read as zero") << u"[ab:cd]"_s << 0.0;
    QTest::newRow("digit then letter") << u"[1a:2b]"_s << 62000.0;
    QTest::newRow("blanks are skipped") << u"[ 1: 5]"_s << 65000.0;
    QTest::newRow("blank after the digit") << u"[1 :5 ]"_s << 65000.0;
    QTest::newRow("seven blanks") << u"       "_s << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("cut short after the minutes") << u"[01"_s << 60000.0;
    QTest::newRow("cut short in the seconds") << u"[02:3"_s << 123000.0;
    QTest::newRow("decimal minutes") << u"[.5:00]"_s << 30000.0;
    QTest::newRow("half a second rounds to even, down") << u"[01:.5]"_s << 60000.0;
    QTest::newRow("half a second at zero") << u"[00:.5]"_s << 0.0;
    QTest::newRow("decimal point after digits") << u"[1.:07]"_s << 67000.0;
    QTest::newRow("negative minutes") << u"[-1:05]"_s << -55000.0;
    QTest::newRow("negative seconds") << u"[00:-5]"_s << -5000.0;
    QTest::newRow("plus sign") << u"[+1:+1]"_s << 61000.0;
    QTest::newRow("sign alone") << u"[-:-]"_s << 0.0;
}

void TestTimeTag::tagReadsBackFromFixedPositions()
{
    QFETCH(QString, text);
    QFETCH(double, ms);
    QCOMPARE(TagToMilliseconds(text), ms);
}

void TestTimeTag::formatThenReadGivesTheTruncatedPosition()
{
    for (qint32 ms = 0; ms < 6000000; ms += 997) {
        const QString tag = FormatTimeTag(ms);
        QCOMPARE(tag.size(), 7);
        QCOMPARE(TagToMilliseconds(tag), double(ms / 1000 * 1000));
    }
}

void TestTimeTag::exactTimeCountsWhileItsTagTruncatesIt_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<ExactTime>("exact");
    QTest::addColumn<ExactTime>("current"); // CurrentExactTime
    QTest::addColumn<ExactTime>("start");   // LineTime
    const ExactTime none;
    QTest::newRow("stamped") << u"[00:12]one"_s << ExactTime(12987) << ExactTime(12987)
                             << ExactTime(12987);
    QTest::newRow("bare tag") << u"[00:12]"_s << ExactTime(12000) << ExactTime(12000)
                              << ExactTime(12000);
    QTest::newRow("tag edited since")
        << u"[00:13]one"_s << ExactTime(12987) << none << ExactTime(13000);
    QTest::newRow("no exact time") << u"[01:05]one"_s << none << none << ExactTime(65000);
    QTest::newRow("tag dropped") << u"[--:--]one"_s << ExactTime(12987) << none << none;
    QTest::newRow("unmarked") << u"       one"_s << ExactTime(12987) << none << none;
    QTest::newRow("a tag that holds no time") << u"[0a:12]x"_s << none << none << none;
    QTest::newRow("short row") << u"[00:1"_s << none << none << none;
    QTest::newRow("100 minutes, seven characters of the tag")
        << u"[100:02]x"_s << ExactTime(6002345) << ExactTime(6002345) << ExactTime(6002345);
    QTest::newRow("negative") << u"[00:00]x"_s << ExactTime(-1) << none << ExactTime(0);
}

void TestTimeTag::exactTimeCountsWhileItsTagTruncatesIt()
{
    QFETCH(QString, row);
    QFETCH(ExactTime, exact);
    QFETCH(ExactTime, current);
    QFETCH(ExactTime, start);
    QCOMPARE(CurrentExactTime(row, exact), current);
    QCOMPARE(LineTime(row, exact), start);
}

QTEST_APPLESS_MAIN(TestTimeTag)
#include "tst_timetag.moc"
