#include "document/timetag.h"
#include "session/displaysearch.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

// Ticks the search against a sequence of display times and records what is
// shown on each tick ("" for nothing new).
static QStringList run(const QStringList& rows, int start, const QStringList& displayPerTick)
{
    QStringList shown;
    int index = start;
    for (const QString& display : displayPerTick) {
        const DisplayStep step =
            NextDisplayLine(TimingRowsFromList(rows), index, qint32(TagToMilliseconds(display)));
        index = step.shownLineIndex;
        shown.append(step.show.value_or(QString()));
    }
    return shown;
}

class TestDisplaySearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ticks_data();
    void ticks();
    void passesOverUntimedLinesWithoutShowing();
};

void TestDisplaySearch::ticks_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("start");
    QTest::addColumn<QStringList>("display");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("in order, each at its time")
        << QStringList{u"-------sep"_s, u"[00:01]a"_s, u"       gap"_s, u"[00:03]b"_s} << -1
        << QStringList{u"[00:00]"_s, u"[00:01]"_s, u"[00:02]"_s, u"[00:03]"_s}
        << QStringList{QString(), u"a"_s, QString(), u"b"_s};
    QTest::newRow("the same tag: one line per tick while the time lasts")
        << QStringList{u"[00:02]a"_s, u"[00:02]b"_s, u"[00:02]c"_s, u"[00:05]d"_s} << -1
        << QStringList{u"[00:02]"_s, u"[00:02]"_s, u"[00:03]"_s, u"[00:05]"_s}
        << QStringList{u"a"_s, u"b"_s, QString(), QString()};
    QTest::newRow("a tag already past holds up the rest")
        << QStringList{u"[00:04]a"_s, u"[00:02]late"_s, u"[00:06]c"_s} << -1
        << QStringList{u"[00:04]"_s, u"[00:05]"_s, u"[00:06]"_s, u"[00:07]"_s}
        << QStringList{u"a"_s, QString(), QString(), QString()};
    QTest::newRow("an unstamped line holds up the rest")
        << QStringList{u"[00:01]a"_s, u"[--:--]b"_s, u"[00:03]c"_s} << -1
        << QStringList{u"[00:01]"_s, u"[00:02]"_s, u"[00:03]"_s}
        << QStringList{u"a"_s, QString(), QString()};
    QTest::newRow("the last line stays: later ticks show nothing")
        << QStringList{u"[00:01]a"_s} << -1 << QStringList{u"[00:01]"_s, u"[00:01]"_s, u"[00:02]"_s}
        << QStringList{u"a"_s, QString(), QString()};
    QTest::newRow("from a selected line on")
        << QStringList{u"[00:01]a"_s, u"[00:05]b"_s, u"[00:07]c"_s} << 0
        << QStringList{u"[00:05]"_s, u"[00:07]"_s} << QStringList{u"b"_s, u"c"_s};
    QTest::newRow("no line selected: from the first line")
        << QStringList{u"[00:01]a"_s, u"[00:02]b"_s} << -2
        << QStringList{u"[00:01]"_s, u"[00:02]"_s} << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("an empty list")
        << QStringList{} << -1 << QStringList{u"[00:00]"_s} << QStringList{QString()};
}

void TestDisplaySearch::ticks()
{
    QFETCH(QStringList, rows);
    QFETCH(int, start);
    QFETCH(QStringList, display);
    QFETCH(QStringList, shown);
    QCOMPARE(run(rows, start, display), shown);
}

void TestDisplaySearch::passesOverUntimedLinesWithoutShowing()
{
    const TimingRows rows =
        TimingRowsFromList({u"-------a"_s, u"       b"_s, u"[00:03]c"_s, u"       d"_s});
    DisplayStep step = NextDisplayLine(rows, -1, 1000);
    QCOMPARE(step.shownLineIndex, 1); // passed over, waiting on line 2
    QVERIFY(!step.show);
    step = NextDisplayLine(rows, step.shownLineIndex, 3000);
    QCOMPARE(step.shownLineIndex, 2);
    QCOMPARE(step.show.value_or(QString()), u"c"_s);
    step = NextDisplayLine(rows, step.shownLineIndex, 4000);
    QCOMPARE(step.shownLineIndex, 3); // to the end of the list
    QVERIFY(!step.show);
}

QTEST_APPLESS_MAIN(TestDisplaySearch)
#include "tst_displaysearch.moc"
