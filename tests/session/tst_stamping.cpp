#include "session/stamping.h"
#include "session/timingsheet.h"

#include <QTest>

using namespace verselet;
using namespace Qt::StringLiterals;

class TestStamping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void set_data();
    void set();
    void next_data();
    void next();
    void directEdit_data();
    void directEdit();
};

void TestStamping::set_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<bool>("runEnds");
    const QStringList four{u"       intro"_s, u"[--:--]one"_s, u"       gap"_s, u"[--:--]two"_s};
    QTest::newRow("first Set after play")
        << four << -1
        << QStringList{u"       intro"_s, u"[00:07]one"_s, u"       gap"_s, u"[--:--]two"_s} << 1
        << false;
    QTest::newRow("passes over the gap")
        << four << 1
        << QStringList{u"       intro"_s, u"[--:--]one"_s, u"       gap"_s, u"[00:07]two"_s} << 3
        << false;
    QTest::newRow("on the last line the run ends") << four << 3 << four << 3 << true;
    QTest::newRow("only untimed lines follow: the run ends on the last")
        << QStringList{u"[00:01]a"_s, u"-------b"_s, u"       c"_s} << 0
        << QStringList{u"[00:01]a"_s, u"-------b"_s, u"       c"_s} << 2 << true;
    QTest::newRow("empty list") << QStringList{} << -1 << QStringList{} << -1 << true;
    QTest::newRow("a timed line is stamped over")
        << QStringList{u"[03:00]x"_s} << -1 << QStringList{u"[00:07]x"_s} << 0 << false;
    QTest::newRow("no ] at the seventh character: selected, not changed")
        << QStringList{u"[1]abcdef"_s, u"[--:--]y"_s} << -1
        << QStringList{u"[1]abcdef"_s, u"[--:--]y"_s} << 0 << false;
    QTest::newRow("a line of the bare tag")
        << QStringList{u"[--:--]"_s} << -1 << QStringList{u"[00:07]"_s} << 0 << false;
}

void TestStamping::set()
{
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    QFETCH(QStringList, after);
    QFETCH(int, selectedAfter);
    QFETCH(bool, runEnds);
    TimingSheet sheet(TimingRowsFromList(rows));
    sheet.select(selected);
    SheetEdit edit(sheet);
    const SetStep step = PressSet(edit, 7000);
    QCOMPARE(sheet.listRows(), after);
    QCOMPARE(edit.finish().rows.size(), qsizetype(step.stamped && after != rows));
    QCOMPARE(step.selected, selectedAfter);
    QCOMPARE(step.runEnds, runEnds);
}

void TestStamping::next_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<bool>("show");
    const QStringList rows{u"-------s"_s, u"[00:01]a"_s, u"       b"_s, u"[0"_s, u"[--:--]c"_s};
    QTest::newRow("from nothing to the first timed line") << rows << -1 << 1 << true;
    QTest::newRow("over an untimed line") << rows << 1 << 3 << false;
    QTest::newRow("to a timed line") << rows << 3 << 4 << true;
    QTest::newRow("wraps to line 0 from the last") << rows << 4 << 0 << false;
    QTest::newRow("untimed lines to the end wrap too")
        << QStringList{u"[--:--]a"_s, u"       b"_s} << 0 << 0 << false;
    QTest::newRow("empty list selects nothing") << QStringList{} << -1 << -1 << false;
}

void TestStamping::next()
{
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    QFETCH(int, selectedAfter);
    QFETCH(bool, show);
    const NextStep step = PressNext(TimingRowsFromList(rows), selected);
    QCOMPARE(step.selected, selectedAfter);
    QCOMPARE(step.showRow, show);
}

void TestStamping::directEdit_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("after");
    QTest::newRow("complete tag") << u"[00:10]line"_s << u"[01:23]"_s << u"[01:23]line"_s;
    QTest::newRow("six characters") << u"[00:10]line"_s << u"[01:23"_s << u"[00:10]line"_s;
    QTest::newRow("not ] at seven") << u"[00:10]line"_s << u"[01:234"_s << u"[00:10]line"_s;
    QTest::newRow("any seven ending in ]") << u"[00:10]line"_s << u"abcdef]"_s << u"abcdef]line"_s;
    QTest::newRow("an untimed row is left") << u"       line"_s << u"[01:23]"_s << u"       line"_s;
    QTest::newRow("a short timed row") << u"[ab"_s << u"[01:23]"_s << u"[01:23]"_s;
}

void TestStamping::directEdit()
{
    QFETCH(QString, row);
    QFETCH(QString, edit);
    QFETCH(QString, after);
    const QString before = row;
    TimingRow line = TimingRow::fromListRow(row);
    const bool changed = line.applyEdit(edit);
    QCOMPARE(line.listRow(), after);
    QCOMPARE(changed, before != after ||
                          (before.startsWith(u'[') && edit.size() == 7 && edit.endsWith(u']')));
}

QTEST_APPLESS_MAIN(TestStamping)
#include "tst_stamping.moc"
