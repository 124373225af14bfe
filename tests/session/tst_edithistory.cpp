#include "session/edithistory.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

constexpr int kNudge = 1;
constexpr int kStamp = 2;

// A sheet of `count` lines, line n stamped at n seconds.
TimingSheet sheetOf(int count)
{
    TimingRows rows;
    for (int n = 0; n < count; ++n)
        rows.append(TimingRow::stamped(n * 1000, u"歌詞の行 %1"_s.arg(n)));
    return TimingSheet(rows);
}

// Moves `row` by `delta` ms through an edit and records it; `delta` 0
// changes nothing.
bool act(EditHistory& history, TimingSheet& sheet, int row, int delta, int kind, bool amend)
{
    SheetEdit edit(sheet);
    edit.select(row);
    edit.retime(row, *sheet.row(row).when() + delta);
    return history.record(edit.finish(), kind, amend);
}

} // namespace

class TestEditHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void steps_data();
    void steps();
    void oldestStepsGoPastTheLimits();
    void aStepCostsWhatItChanged();
};

void TestEditHistory::steps_data()
{
    // Acts on line 1 (at 1000 ms): "+100" a step of its own, "~+100" the
    // repeat of a held key (amends the last step), "s+100" a step of another
    // kind amending, "u" undo, "r" redo.
    QTest::addColumn<QStringList>("acts");
    QTest::addColumn<qint32>("time");
    QTest::addColumn<int>("undos");
    QTest::addColumn<int>("redos");
    QStringList held{u"+100"_s};
    for (int n = 0; n < 29; ++n)
        held.append(u"~+100"_s);
    QTest::newRow("a held key is one step") << held << 4000 << 1 << 0;
    QTest::newRow("one undo takes the held key back")
        << (held + QStringList{u"u"_s}) << 1000 << 0 << 1;
    QTest::newRow("and a press after it moves once")
        << (held + QStringList{u"u"_s, u"+100"_s}) << 1100 << 1 << 0;
    QTest::newRow("presses are steps each") << QStringList{u"+100"_s, u"+100"_s} << 1200 << 2 << 0;
    QTest::newRow("another kind does not amend")
        << QStringList{u"+100"_s, u"s~+100"_s} << 1200 << 2 << 0;
    QTest::newRow("no change is no step and keeps redo")
        << QStringList{u"+100"_s, u"u"_s, u"+0"_s} << 1000 << 0 << 1;
    QTest::newRow("a repeat after an undo is a step, and drops redo")
        << QStringList{u"+100"_s, u"+100"_s, u"u"_s, u"~+100"_s} << 1200 << 2 << 0;
    QTest::newRow("a held key back where it began is no step")
        << QStringList{u"+500"_s, u"+100"_s, u"~-100"_s} << 1500 << 1 << 0;
    QTest::newRow("redo makes it again")
        << QStringList{u"+100"_s, u"+100"_s, u"u"_s, u"u"_s, u"r"_s} << 1100 << 1 << 1;
    QTest::newRow("nothing to undo") << QStringList{u"u"_s, u"r"_s} << 1000 << 0 << 0;
}

void TestEditHistory::steps()
{
    QFETCH(QStringList, acts);
    QFETCH(qint32, time);
    QFETCH(int, undos);
    QFETCH(int, redos);
    TimingSheet sheet = sheetOf(3);
    EditHistory history;
    for (QString act : acts) {
        if (act == u"u"_s) {
            history.undo(sheet);
        } else if (act == u"r"_s) {
            history.redo(sheet);
        } else {
            const bool stamp = act.startsWith(u's');
            const bool amend = act.remove(u's').startsWith(u'~');
            ::act(history, sheet, 1, act.remove(u'~').toInt(), stamp ? kStamp : kNudge, amend);
        }
    }
    QCOMPARE(sheet.row(1).when(), ExactTime(time));
    // The other lines are as they were.
    QCOMPARE(sheet.row(0).when(), ExactTime(0));
    QCOMPARE(sheet.row(2).when(), ExactTime(2000));
    int undone = 0;
    while (history.undo(sheet))
        ++undone;
    QCOMPARE(undone, undos);
    QCOMPARE(sheet.row(1).when(), ExactTime(1000));
    int redone = 0;
    while (history.redo(sheet))
        ++redone;
    QCOMPARE(redone - undone, redos);
}

void TestEditHistory::oldestStepsGoPastTheLimits()
{
    TimingSheet sheet = sheetOf(2);
    EditHistory history({3, qsizetype(1) << 30});
    for (int n = 0; n < 5; ++n)
        act(history, sheet, 0, 100, kStamp, false);
    QCOMPARE(history.steps(), qsizetype(3));
    while (history.undo(sheet)) {
    }
    // The two oldest are gone: undo reaches back to the second's result.
    QCOMPARE(sheet.row(0).when(), ExactTime(200));

    const qsizetype oneStep = [] {
        TimingSheet one = sheetOf(1);
        EditHistory measure;
        act(measure, one, 0, 100, kStamp, false);
        return measure.bytes();
    }();
    EditHistory small({1000, oneStep * 2});
    for (int n = 0; n < 10; ++n)
        act(small, sheet, 1, 100, kStamp, false);
    QCOMPARE(small.steps(), qsizetype(2));
    QVERIFY(small.bytes() <= oneStep * 2);
}

void TestEditHistory::aStepCostsWhatItChanged()
{
    // The same stamp on a list of 5 lines and of 50 000 keeps as much.
    qsizetype bytes[2] = {};
    int n = 0;
    for (const int count : {5, 50000}) {
        TimingSheet sheet = sheetOf(count);
        EditHistory history;
        act(history, sheet, 3, 250, kStamp, false);
        bytes[n++] = history.bytes();
    }
    QVERIFY(bytes[0] > 0);
    QCOMPARE(bytes[1], bytes[0]);
}

QTEST_GUILESS_MAIN(TestEditHistory)
#include "tst_edithistory.moc"
