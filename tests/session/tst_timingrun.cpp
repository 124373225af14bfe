#include "document/timingrow.h"
#include "session/timinglines.h"
#include "session/timinglistmodel.h"
#include "session/timingrun.h"
#include "session/transport.h"
#include "settings/calibration.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <limits>

#include "fakereadings.h"
#include "scripteddevice.h"
#include "testfiles.h"
#include "timedrows.h"

using namespace verselet;
using namespace Qt::StringLiterals;

using State = Transport::State;

namespace {

// Every row's exact time, row for row.
ExactTimes ExactTimesOf(const TimingLines& lines)
{
    ExactTimes times;
    for (const TimingRow& row : lines.sheet().rows())
        times.append(row.exactTime());
    return times;
}

QString ShownClock(const Transport& transport)
{
    return ClockText(transport.shownTime());
}

} // namespace

// A run of real-time input without any window: the transport, the lines that
// stamp what it hears, and the run that owns both with the device, against a
// device whose clock the test moves. Each behaviour is checked on the
// smallest of them that has it.
class TestTimingRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tracksAndTheRememberedOne_data();
    void tracksAndTheRememberedOne();
    void transportStatesAndThePlayTime();
    void setStampsTheLinesToTimeAndEndsTheRun();
    void setKeepsTheHeardPositionAsTheExactTime_data();
    void setKeepsTheHeardPositionAsTheExactTime();
    void nextShowsLinesWhileTheEditIsGuarded();
    void theTimeFieldIsNotTakenWhileTheSelectionMoves_data();
    void theTimeFieldIsNotTakenWhileTheSelectionMoves();
    void nudgeMovesATimeAndItsTag_data();
    void nudgeMovesATimeAndItsTag();
    void retakeAndShiftFromHere();
    void undoAndRedoGoStepByStep();
    void playFromTheSelectedLineAndTheTrackEnd();
    void playbackThatEndsByItselfStops();
    void linesPast100MinutesKeepTheirText_data();
    void linesPast100MinutesKeepTheirText();
    void lateTickStillEndsTheTrack();
    void runOwnsItsDeviceTransportAndLag();
    void testDisplaysPlayAndStop();
    void modelFollowsTheRows();
    void wordModeProposesReadingsOnce();
    void wordModeStampsAndCorrectsSegments_data();
    void wordModeStampsAndCorrectsSegments();
    void readingsAreTimedPerSegment_data();
    void readingsAreTimedPerSegment();
    void lagIsRealTimeAtAnySpeed_data();
    void lagIsRealTimeAtAnySpeed();

private:
    // The lag and the speed a transport starts with come from a home of the
    // test's own, never from the user's.
    testfiles::WorkArea m_home;
};

void TestTimingRun::tracksAndTheRememberedOne_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("deviceTrack");
    QTest::newRow("first run") << u"0"_s << 0 << 1;
    QTest::newRow("third track") << u"2"_s << 2 << 3;
    QTest::newRow("read the lenient way, halves to even") << u" 1.5"_s << 2 << 3;
    QTest::newRow("not on this disc") << u"7"_s << -1 << 1;
    QTest::newRow("none") << u"-1"_s << -1 << 1;
    QTest::newRow("letters read as 0") << u"abc"_s << 0 << 1;
}

void TestTimingRun::tracksAndTheRememberedOne()
{
    QFETCH(QString, remembered);
    QFETCH(int, chosen);
    QFETCH(int, deviceTrack);
    ScriptedDevice device({245900, 60000, 6000000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    QSignalSpy tracks(&transport, &Transport::tracksChanged);
    QVERIFY(transport.loadDisc(remembered));
    QCOMPARE(transport.tracks().entries(),
             (QStringList{u"ﾄﾗｯｸ1 [04:05]"_s, u"ﾄﾗｯｸ2 [01:00]"_s, u"ﾄﾗｯｸ3 [100:00]"_s}));
    QCOMPARE(tracks.size(), 1);
    QCOMPARE(transport.tracks().chosen, chosen);
    QCOMPARE(device.TimeFormat(), 0);
    // The device describes the chosen track, armed at its start when one is.
    QCOMPARE(device.Track(), deviceTrack);
    QCOMPARE(device.fromPending(), chosen >= 0);
    QCOMPARE(transport.state(), State::Stopped);

    // Another disc, once the device has looked at it: "更新" lists it; none
    // at all lists nothing.
    device.changeDisc({30000});
    device.lookAtTheMedium();
    QVERIFY(transport.relistTracks(remembered));
    QCOMPARE(transport.tracks().entries(), QStringList{u"ﾄﾗｯｸ1 [00:30]"_s});
    QCOMPARE(device.Track(), 1);
    device.changeDisc({});
    device.lookAtTheMedium();
    QVERIFY(!transport.relistTracks(remembered));
    QVERIFY(transport.tracks().entries().isEmpty());
    QCOMPARE(transport.tracks().chosen, -1);
}

void TestTimingRun::transportStatesAndThePlayTime()
{
    ScriptedDevice device({100000, 100000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    QCOMPARE(ShownClock(transport), u"[--:--]"_s);
    transport.tick();
    QCOMPARE(ShownClock(transport), u"[00:00]"_s);
    QVERIFY(transport.loadDisc(u"1"_s));
    QSignalSpy times(&transport, &Transport::playTimeChanged);
    QList<State> told;
    connect(&transport, &Transport::stateChanged, this, [&told](State s) { told.append(s); });

    struct Expect
    {
        State state;
        bool running; // Set can stamp; the test from the start cannot begin
        QString time;
    };
    const auto check = [&](const Expect& e, int line) {
        transport.tick();
        QVERIFY2(transport.state() == e.state && transport.isRunning() == e.running &&
                     ShownClock(transport) == e.time,
                 qPrintable(u"line %1: state %2, running %3, %4"_s.arg(line)
                                .arg(int(transport.state()))
                                .arg(transport.isRunning())
                                .arg(ShownClock(transport))));
    };
    transport.play(); // from the start of the second track
    device.advance(12500);
    check({State::Playing, true, u"[00:12]"_s}, __LINE__);
    QCOMPARE(transport.shownTime(), ExactTime(12000));
    transport.pause(); // the time stays
    device.advance(5000);
    check({State::Paused, false, u"[00:12]"_s}, __LINE__);
    transport.play(); // on from the pause
    device.advance(3000);
    check({State::Playing, true, u"[00:15]"_s}, __LINE__);
    transport.chooseTrack(transport.tracks().chosen); // "□"
    check({State::Stopped, false, u"[00:00]"_s}, __LINE__);
    transport.play();
    device.advance(1000);
    check({State::Playing, true, u"[00:01]"_s}, __LINE__);
    QCOMPARE(device.Position(), 101000);
    transport.chooseTrack(0);
    check({State::Stopped, false, u"[00:00]"_s}, __LINE__);
    QVERIFY(device.fromPending());
    QCOMPARE(device.from(), 0);
    // Each change of the time, and of the state, told once.
    QCOMPARE(times.size(), 5);
    QCOMPARE(told, (QList<State>{State::Playing, State::Paused, State::Playing, State::Stopped,
                                 State::Playing, State::Stopped}));
}

void TestTimingRun::setStampsTheLinesToTimeAndEndsTheRun()
{
    ScriptedDevice device({120000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    TimingLines lines(transport);
    lines.setRows(TimingRowsFromList(
        {u"       intro"_s, u"[--:--]one"_s, u"       gap"_s, u"[--:--]two"_s, u"-------"_s}));
    QSignalSpy changed(&lines, &TimingLines::rowChanged);
    transport.play();
    QCOMPARE(lines.sheet().selected(), -1);

    device.advance(5200);
    transport.tick();
    SetStep step = lines.set();
    QCOMPARE(step.selected, 1);
    device.advance(4000);
    transport.tick();
    step = lines.set();
    QCOMPARE(step.selected, 3);
    QCOMPARE(lines.sheet().listRows(),
             (QStringList{u"       intro"_s, u"[00:05]one"_s, u"       gap"_s, u"[00:09]two"_s,
                          u"-------"_s}));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(1).at(0).toInt(), 3);

    // Only a line not to be timed follows: the press passes over it to the
    // last line, and the run ends there.
    step = lines.set();
    QVERIFY(step.runEnds);
    QCOMPARE(lines.sheet().selected(), 4);
    QCOMPARE(transport.state(), State::Stopped);
    QVERIFY(!transport.isRunning());
    QVERIFY(!device.isPlaying());
    QCOMPARE(device.from(), 0);
    QCOMPARE(changed.size(), 2);
    // The press that ended the run leaves the time field the user's.
    lines.selectRow(3);
    QVERIFY(lines.editTag(u"[00:30]"_s));
    QCOMPARE(lines.sheet().row(3).listRow(), u"[00:30]two"_s);
}

void TestTimingRun::setKeepsTheHeardPositionAsTheExactTime_data()
{
    QTest::addColumn<int>("track");        // 0-based, of two of 200 s
    QTest::addColumn<QList<qint32>>("at"); // ms since play, one Set each
    QTest::addColumn<bool>("tickFirst");   // a tick just before each Set
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<ExactTimes>("exact");
    QTest::addColumn<qint32>("lag"); // the user's own, calibrated
    QTest::newRow("stamps the truncation")
        << 0 << QList<qint32>{12987, 65009} << true
        << QStringList{u"[00:12]a"_s, u"[01:05]b"_s, u"[--:--]c"_s} << ExactTimes{12987, 65009, {}}
        << 0;
    QTest::newRow("second track: counted from its start")
        << 1 << QList<qint32>{999, 1000, 61500} << true
        << QStringList{u"[00:00]a"_s, u"[00:01]b"_s, u"[01:01]c"_s} << ExactTimes{999, 1000, 61500}
        << 0;
    // The time shown is a tick old; the stamp is the position at the press.
    QTest::newRow("between ticks, the press counts")
        << 0 << QList<qint32>{12999, 13000} << false
        << QStringList{u"[00:12]a"_s, u"[00:13]b"_s, u"[--:--]c"_s} << ExactTimes{12999, 13000, {}}
        << 0;
    QTest::newRow("a late presser's lag is taken off")
        << 0 << QList<qint32>{13100, 20100} << true
        << QStringList{u"[00:12]a"_s, u"[00:19]b"_s, u"[--:--]c"_s} << ExactTimes{12968, 19968, {}}
        << 132;
    QTest::newRow("an early presser's is added")
        << 0 << QList<qint32>{13100} << true
        << QStringList{u"[00:13]a"_s, u"[01:05]b"_s, u"[--:--]c"_s} << ExactTimes{13140, 65432, {}}
        << -40;
    QTest::newRow("not below the track start")
        << 1 << QList<qint32>{600} << true
        << QStringList{u"[00:00]a"_s, u"[01:05]b"_s, u"[--:--]c"_s} << ExactTimes{0, 65432, {}}
        << 700;
}

void TestTimingRun::setKeepsTheHeardPositionAsTheExactTime()
{
    QFETCH(int, track);
    QFETCH(QList<qint32>, at);
    QFETCH(bool, tickFirst);
    QFETCH(QStringList, rows);
    QFETCH(ExactTimes, exact);
    QFETCH(qint32, lag);

    ScriptedDevice device({200000, 200000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(QString::number(track));
    TimingLines lines(transport);
    // Row 1 comes with an exact time of an earlier run.
    lines.setRows(TimedRows({u"[--:--]a"_s, u"[01:05]b"_s, u"[--:--]c"_s}, {std::nullopt, 65432}));
    QCOMPARE(lines.sheet().row(1).exactTime(), ExactTime(65432));
    transport.setLag(lag);
    transport.play();
    device.advance(500);
    transport.tick(); // [00:00]
    qint32 now = 500;
    for (const qint32 ms : at) {
        device.advance(ms - now);
        now = ms;
        if (tickFirst)
            transport.tick();
        lines.set();
    }
    QCOMPARE(lines.sheet().listRows(), rows);
    QCOMPARE(ExactTimesOf(lines), exact);
}

void TestTimingRun::nextShowsLinesWhileTheEditIsGuarded()
{
    ScriptedDevice device({120000});
    Transport transport(device);
    TimingLines lines(transport);
    lines.setRows(
        TimingRowsFromList({u"-------sep"_s, u"[00:03]first"_s, u"       skip"_s, u"[01:"_s}));
    QList<std::pair<int, bool>> shown; // row, and whether the field's edit was taken then
    connect(&lines, &TimingLines::lineShownForEditing, this, [&](int row) {
        shown.append({row, lines.editTag(u"[07:07]"_s)});
    });

    QCOMPARE(lines.next().selected, 1);
    // The edit a view makes of the field while Next shows it is not taken.
    QCOMPARE(shown, (QList<std::pair<int, bool>>{{1, false}}));
    QCOMPARE(lines.sheet().row(1).listRow(), u"[00:03]first"_s);
    QVERIFY(lines.next().selected == 3); // to be timed, but cannot take a stamp
    QCOMPARE(shown.size(), 1);
    QCOMPARE(lines.next().selected, 0); // wraps to the first line, whatever it is

    // The time field's text, once its seventh character is "]"; Next done,
    // the field is the user's again.
    lines.selectRow(1);
    QVERIFY(!lines.editTag(u"[01:2"_s));
    QVERIFY(lines.editTag(u"[01:23]"_s));
    QCOMPARE(lines.sheet().listRows().at(1), u"[01:23]first"_s);
    lines.selectRow(2);
    QVERIFY(!lines.editTag(u"[09:09]"_s)); // not a line to be timed
    QCOMPARE(lines.sheet().listRows().at(2), u"       skip"_s);
    // The tag typed has its whole seconds as the exact time; a tag without
    // a time has none.
    QCOMPARE(lines.sheet().row(1).exactTime(), ExactTime(83000));
    lines.selectRow(1);
    QVERIFY(lines.editTag(u"[--:--]"_s));
    QCOMPARE(ExactTimesOf(lines), (ExactTimes{{}, {}, {}, {}}));
}

void TestTimingRun::theTimeFieldIsNotTakenWhileTheSelectionMoves_data()
{
    // A view that follows the selection sets the time field as it moves; an
    // edit of the field made meanwhile is the view's, not the user's.
    QTest::addColumn<QString>("act");
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<QStringList>("rows"); // after the act
    QTest::addColumn<int>("selected");
    const QStringList untouched{u"[--:--]a"_s, u"[--:--]b"_s, u"[00:03]c"_s};
    QTest::newRow("Set selects the line it stamps")
        << u"set"_s << -1 << QStringList{u"[00:05]a"_s, u"[--:--]b"_s, u"[00:03]c"_s} << 0;
    QTest::newRow("Next shows the line it moves to") << u"next"_s << -1 << untouched << 0;
    QTest::newRow("Top shows the selected line") << u"top"_s << 1 << untouched << 1;
}

void TestTimingRun::theTimeFieldIsNotTakenWhileTheSelectionMoves()
{
    QFETCH(QString, act);
    QFETCH(int, selectedBefore);
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    ScriptedDevice device({120000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    TimingLines lines(transport);
    lines.setRows(TimingRowsFromList({u"[--:--]a"_s, u"[--:--]b"_s, u"[00:03]c"_s}));
    lines.selectRow(selectedBefore);
    transport.play();
    device.advance(5200);

    QList<bool> taken;
    const auto typeIntoTheField = [&] { taken.append(lines.editTag(u"[07:07]"_s)); };
    connect(&lines, &TimingLines::selectionChanged, this, typeIntoTheField);
    connect(&lines, &TimingLines::rowShownAtTop, this, typeIntoTheField);
    connect(&lines, &TimingLines::lineShownForEditing, this, typeIntoTheField);
    if (act == u"set")
        lines.set();
    else if (act == u"next")
        lines.next();
    else
        QVERIFY(lines.top());
    QVERIFY(!taken.isEmpty());
    QVERIFY(!taken.contains(true));
    QCOMPARE(lines.sheet().listRows(), rows);
    QCOMPARE(lines.sheet().selected(), selected);

    // Once the act is done, the same edit is the user's and applies.
    QObject::disconnect(&lines, nullptr, this, nullptr);
    QVERIFY(lines.editTag(u"[07:07]"_s));
    QCOMPARE(lines.sheet().row(selected).tagField(), u"[07:07]"_s);
}

namespace {

// Rows with and without exact times, and rows that have no time.
const QStringList kTimedRows{u"-------sep"_s,   u"[00:12]one"_s,  u"[--:--]two"_s,
                             u"[01:05]three"_s, u"       skip"_s, u"[00:40]four"_s};
const ExactTimes kTimedExact{std::nullopt, 12950, std::nullopt, std::nullopt, std::nullopt, 40500};

} // namespace

void TestTimingRun::nudgeMovesATimeAndItsTag_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("delta");
    QTest::addColumn<QString>("after"); // empty: nothing changes
    QTest::addColumn<ExactTime>("exact");
    QTest::newRow("on across a second") << 1 << 100 << u"[00:13]one"_s << ExactTime(13050);
    QTest::newRow("back a second") << 1 << -1000 << u"[00:11]one"_s << ExactTime(11950);
    QTest::newRow("a tag of whole seconds") << 3 << -100 << u"[01:04]three"_s << ExactTime(64900);
    QTest::newRow("not below 0") << 1 << -20000 << u"[00:00]one"_s << ExactTime(0);
    QTest::newRow("not past the largest time")
        << 1 << std::numeric_limits<qint32>::max() << u"[35791:23]one"_s
        << ExactTime(std::numeric_limits<qint32>::max());
    QTest::newRow("a row without a time") << 2 << 100 << QString() << ExactTime();
    QTest::newRow("a row not to be timed") << 0 << 100 << QString() << ExactTime();
    QTest::newRow("no row selected") << -1 << 100 << QString() << ExactTime();
}

void TestTimingRun::nudgeMovesATimeAndItsTag()
{
    QFETCH(int, row);
    QFETCH(qint32, delta);
    QFETCH(QString, after);
    QFETCH(ExactTime, exact);

    ScriptedDevice device({200000});
    Transport transport(device);
    TimingLines lines(transport);
    lines.setRows(TimedRows(kTimedRows, kTimedExact));
    lines.selectRow(row);
    QCOMPARE(lines.nudge(delta), !after.isEmpty());
    QStringList rows = kTimedRows;
    const ExactTimes times = ExactTimesOf(lines);
    if (!after.isEmpty()) {
        rows[row] = after;
        QCOMPARE(times.at(row), exact);
    }
    QCOMPARE(lines.sheet().listRows(), rows);
    QCOMPARE(lines.sheet().selected(), row);
    QCOMPARE(lines.history().canUndo(), !after.isEmpty());
}

void TestTimingRun::retakeAndShiftFromHere()
{
    ScriptedDevice device({100000, 200000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"1"_s);
    TimingLines lines(transport);
    lines.setRows(TimedRows(kTimedRows, kTimedExact));

    // R: from 3 s before the line, the selection on the line before it; no
    // row changes and nothing is to undo.
    lines.selectRow(5);
    QVERIFY(lines.retake());
    QCOMPARE(device.from(), 100000 + 37500);
    QVERIFY(device.isPlaying() && transport.isRunning());
    QCOMPARE(lines.sheet().selected(), 4);
    QCOMPARE(lines.sheet().listRows(), kTimedRows);
    QVERIFY(!lines.history().canUndo());
    lines.selectRow(2); // no time
    QVERIFY(!lines.retake());
    lines.setRows(TimedRows({u"[00:02]first"_s}, {2000}));
    lines.selectRow(0);
    QVERIFY(lines.retake());
    QCOMPARE(device.from(), 100000); // the track start
    QCOMPARE(lines.sheet().selected(), -1);

    // S: the selected line takes the time heard now, the later timed lines
    // move by as much.
    lines.setRows(TimedRows(kTimedRows, kTimedExact));
    transport.chooseTrack(1);
    transport.play();
    device.advance(30000);
    lines.selectRow(1);
    QVERIFY(lines.shiftFromHere());
    QCOMPARE(lines.sheet().listRows(),
             (QStringList{u"-------sep"_s, u"[00:30]one"_s, u"[--:--]two"_s, u"[01:22]three"_s,
                          u"       skip"_s, u"[00:57]four"_s}));
    QCOMPARE(ExactTimesOf(lines),
             (ExactTimes{std::nullopt, 30000, std::nullopt, 82050, std::nullopt, 57550}));
    // Earlier: later lines stop at 0.
    transport.halt();
    transport.play();
    device.advance(500);
    lines.selectRow(3);
    QVERIFY(lines.shiftFromHere());
    QCOMPARE(ExactTimesOf(lines),
             (ExactTimes{std::nullopt, 30000, std::nullopt, 500, std::nullopt, 0}));
    QCOMPARE(lines.sheet().listRows().at(5), u"[00:00]four"_s);
    // Only while playing.
    transport.pause();
    QVERIFY(!lines.shiftFromHere());
}

void TestTimingRun::undoAndRedoGoStepByStep()
{
    ScriptedDevice device({200000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    TimingLines lines(transport);
    lines.setRows(TimingRowsFromList({u"[--:--]a"_s, u"[--:--]b"_s, u"       c"_s}));
    struct Sheet
    {
        QStringList rows;
        ExactTimes exact;
        int selected;
        bool operator==(const Sheet&) const = default;
    };
    const auto sheet = [&lines] {
        return Sheet{lines.sheet().listRows(), ExactTimesOf(lines), lines.sheet().selected()};
    };
    QList<Sheet> sheets{sheet()};
    transport.play();
    device.advance(1000);
    lines.set(); // a at 1.0 s
    sheets.append(sheet());
    device.advance(1000);
    lines.set(); // b at 2.0 s
    sheets.append(sheet());
    QVERIFY(lines.editTag(u"[00:05]"_s));
    // A choice of line is no step of its own; undo comes back to the line
    // that was selected when the change was made.
    lines.selectRow(0);
    sheets.append(sheet());
    QVERIFY(lines.nudge(-100));
    sheets.append(sheet());
    QCOMPARE(sheets.last().rows, (QStringList{u"[00:00]a"_s, u"[00:05]b"_s, u"       c"_s}));
    QCOMPARE(sheets.last().exact, (ExactTimes{900, 5000, std::nullopt}));

    const QStringList commands = device.commands;
    const qint32 position = device.Position();
    for (qsizetype i = sheets.size() - 2; i >= 0; --i) {
        QVERIFY(lines.undo());
        QCOMPARE(sheet(), sheets.at(i));
    }
    QVERIFY(!lines.undo());
    QVERIFY(lines.redo());
    QVERIFY(lines.redo());
    QCOMPARE(sheet(), sheets.at(2));
    // Playback is untouched by all of it.
    QCOMPARE(device.commands, commands);
    QCOMPARE(device.Position(), position);
    QVERIFY(device.isPlaying());
    // A new change drops what was undone.
    lines.selectRow(1);
    QVERIFY(lines.nudge(1000));
    QVERIFY(!lines.history().canRedo());
    QVERIFY(lines.undo());
    QCOMPARE(sheet(), (Sheet{sheets.at(2).rows, sheets.at(2).exact, 1}));
    // A new run, a new history.
    lines.setRows(TimingRowsFromList({u"[--:--]x"_s}));
    QVERIFY(!lines.history().canUndo() && !lines.history().canRedo());
}

void TestTimingRun::playFromTheSelectedLineAndTheTrackEnd()
{
    ScriptedRun rig({200000, 245900}, u"1"_s);
    ScriptedDevice& device = rig.device;
    Transport& transport = rig.run.transport();
    TimingLines& lines = rig.run.lines();
    lines.setRows(TimingRowsFromList({u"[01:05]here"_s, u"[--:--]next"_s, u"[04:04]end"_s}));
    lines.selectRow(0);
    rig.run.playFromSelectedLine();
    QCOMPARE(device.Track(), 2);
    QCOMPARE(device.Position(), 200000 + 65000);
    QVERIFY(transport.isRunning());
    device.advance(2000);
    transport.tick();
    QCOMPARE(ShownClock(transport), u"[01:07]"_s);
    // The selection stays: the next Set stamps the line after it.
    lines.set();
    QCOMPARE(lines.sheet().listRows().at(1), u"[01:07]next"_s);

    // Played to the track's length, to the second: Stopped, re-armed.
    QSignalSpy ended(&transport, &Transport::endOfTrack);
    lines.selectRow(2);
    rig.run.playFromSelectedLine();
    device.advance(900);
    transport.tick();
    QVERIFY(ended.isEmpty());
    device.advance(200);
    transport.tick();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(transport.state(), State::Stopped);
    QVERIFY(device.fromPending());
    QCOMPARE(device.from(), 200000);
}

void TestTimingRun::linesPast100MinutesKeepTheirText_data()
{
    // A tag of 100 minutes or more takes eight characters; the line's text
    // stays whole whatever moves its time.
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("row"); // line 1 after it
    QTest::addColumn<ExactTime>("time");
    QTest::newRow("nudged on") << u"nudge"_s << u"[100:02]long"_s << ExactTime(6002440);
    QTest::newRow("nudged twice") << u"nudge nudge"_s << u"[100:02]long"_s << ExactTime(6002540);
    QTest::newRow("dragged") << u"drag"_s << u"[101:00]long"_s << ExactTime(6060000);
    QTest::newRow("shifted from the line before")
        << u"shift"_s << u"[100:04]long"_s << ExactTime(6004340);
    QTest::newRow("stamped again") << u"set"_s << u"[100:01]long"_s << ExactTime(6001000);
}

void TestTimingRun::linesPast100MinutesKeepTheirText()
{
    QFETCH(QString, step);
    QFETCH(QString, row);
    QFETCH(ExactTime, time);
    ScriptedDevice device({7200000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    TimingLines lines(transport);
    // As an LRC file's line reaches the timing list: the tag file's seven
    // characters, the exact time beside them.
    lines.setRows(TimedRows({u"[99:59]before"_s, u"[100:02long"_s}, {5999000, 6002340}));
    QCOMPARE(lines.sheet().listRows().at(1), u"[100:02]long"_s);
    for (const QString& what : step.split(u' ')) {
        if (what == u"nudge"_s) {
            lines.selectRow(1);
            QVERIFY(lines.nudge(100));
        } else if (what == u"drag"_s) {
            QVERIFY(lines.drag(1, -1, 6060000));
        } else {
            // Playing at 100:01, line 0 selected.
            transport.play();
            device.setFrom(6001000);
            device.setCommand(u"Play"_s);
            lines.selectRow(0);
            if (what == u"shift"_s)
                QVERIFY(lines.shiftFromHere()); // line 0 two seconds late, and so line 1
            else
                QVERIFY(lines.set().stamped);
        }
    }
    const TimingRow& after = lines.sheet().row(1);
    QCOMPARE(after.listRow(), row);
    QCOMPARE(after.text(), u"long"_s);
    QCOMPARE(after.tagField(), row.left(7));
    QCOMPARE(after.when(), time);
}

void TestTimingRun::lateTickStillEndsTheTrack()
{
    // A tick that comes late skips the second the length reads: the track
    // ends all the same, instead of playing on into the next one.
    ScriptedDevice device({65500, 60000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    QSignalSpy ended(&transport, &Transport::endOfTrack);
    transport.play();
    device.advance(64990);
    transport.tick();
    QVERIFY(ended.isEmpty());
    device.advance(1100); // 66.09 s: past [01:05] without a tick there
    transport.tick();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(transport.state(), State::Stopped);
}

void TestTimingRun::playbackThatEndsByItselfStops()
{
    ScriptedDevice device({60000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    transport.play();
    device.advance(5000);
    transport.tick();
    device.failReading();
    QCOMPARE(transport.state(), State::Stopped);
    QVERIFY(!transport.isRunning());
    transport.tick();
    QCOMPARE(ShownClock(transport), u"[00:00]"_s);
}

void TestTimingRun::runOwnsItsDeviceTransportAndLag()
{
    testfiles::WorkArea home;
    QVERIFY(WriteCalibration(132));
    auto owned = std::make_unique<ScriptedDevice>(QList<qint32>{60000, 120000});
    const QPointer<ScriptedDevice> device = owned.get();
    {
        TimingRun run(std::move(owned), u"/dev/sr0"_s, u"1"_s);
        // Made, it has opened the drive, read the disc (this device reads at
        // once) and chosen the remembered track; the user's lag comes off
        // its stamps.
        QCOMPARE(&run.device(), device.data());
        QCOMPARE(device->FileName(), u"/dev/sr0"_s);
        QCOMPARE(device->commands.value(0), u"Open"_s);
        QVERIFY(!run.isOpening() && run.hasTracks());
        QCOMPARE(run.transport().tracks().chosen, 1);
        QCOMPARE(run.transport().lag(), 132);
        // "更新" has the device look at its disc, then lists what it has.
        QSignalSpy relisted(&run, &TimingRun::tracksRelisted);
        device->changeDisc({30000});
        run.relistTracks();
        QCOMPARE(relisted.size(), 1);
        QVERIFY(!run.isRelisting() && relisted.at(0).at(0).toBool());
        QCOMPARE(device->tableReads, 2);
        QCOMPARE(run.transport().tracks().entries(), QStringList{u"ﾄﾗｯｸ1 [00:30]"_s});
        run.transport().chooseTrack(0);

        // "＞" plays with the list back at its top; "□" arms the track's
        // start again.
        run.lines().setRows(TimingRowsFromList({u"[--:--]a"_s, u"[--:--]b"_s}));
        run.lines().selectRow(1);
        QSignalSpy atTop(&run.lines(), &TimingLines::rowShownAtTop);
        run.play();
        QCOMPARE(run.lines().sheet().selected(), -1);
        QCOMPARE(atTop.size(), 1);
        QCOMPARE(atTop.at(0).at(0).toInt(), 0);
        QCOMPARE(run.transport().state(), State::Playing);
        device->advance(1000);
        run.stop();
        QCOMPARE(run.transport().state(), State::Stopped);
        QVERIFY(!device->isPlaying());
        run.play();
        QCOMPARE(device->Position(), 0);
        device->advance(1000);

        // The run ends: stopped and armed, and the chosen track to remember.
        QCOMPARE(run.rememberedTrack(), u"1"_s);
        run.finish();
        QCOMPARE(run.rememberedTrack(), u"0"_s);
        QVERIFY(!device->isPlaying());
        QCOMPARE(device->from(), 0);
    }
    // The device goes with its run.
    QVERIFY(device.isNull());

    TimingRun empty(std::make_unique<ScriptedDevice>(), QString(), u"0"_s);
    QVERIFY(!empty.isOpening() && !empty.hasTracks());
}

void TestTimingRun::testDisplaysPlayAndStop()
{
    ScriptedRun rig({30000, 65500}, u"1"_s);
    ScriptedDevice& device = rig.device;
    TimingRun& run = rig.run;
    Transport& transport = run.transport();
    TimingLines& lines = run.lines();
    lines.setRows(TimingRowsFromList({u"[00:01]a"_s, u"[00:02]b"_s}));

    lines.selectRow(1);
    run.beginTest(false); // from the selected line
    QCOMPARE(device.Position(), 30000 + 2000);
    QVERIFY(transport.isRunning());
    QCOMPARE(transport.state(), State::Testing);
    QCOMPARE(lines.sheet().selected(), 1);
    transport.halt(); // the display ends
    QVERIFY(!transport.isRunning());
    QCOMPARE(transport.state(), State::Stopped);
    QCOMPARE(device.from(), 30000);

    run.beginTest(true); // from the start: nothing selected
    QCOMPARE(lines.sheet().selected(), -1);
    QCOMPARE(device.Position(), 30000);
    device.advance(65500);
    QSignalSpy ended(&transport, &Transport::endOfTrack);
    transport.tick();
    // The clock's end check has stopped and re-armed the device, and told
    // the display; the next tick shows the stop.
    QCOMPARE(ended.count(), 1);
    QVERIFY(!device.isPlaying());
    transport.tick();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ShownClock(transport), u"[00:00]"_s);

    // The run ends: stopped and armed, and the chosen track to remember.
    run.finish();
    QCOMPARE(run.rememberedTrack(), u"1"_s);
    QVERIFY(!device.isPlaying());
}

void TestTimingRun::modelFollowsTheRows()
{
    ScriptedDevice device({120000});
    Transport transport(device);
    TimingLines lines(transport);
    TimingListModel model(lines);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy data(&model, &QAbstractItemModel::dataChanged);
    lines.setRows(TimingRowsFromList({u"[--:--]a"_s, u"[--:--]b"_s}));
    QCOMPARE(reset.size(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1)).toString(), u"[--:--]b"_s);
    lines.selectRow(1);
    QVERIFY(lines.editTag(u"[00:42]"_s));
    QCOMPARE(data.size(), 1);
    QCOMPARE(data.at(0).at(0).toModelIndex().row(), 1);
    QCOMPARE(model.data(model.index(1)).toString(), u"[00:42]b"_s);
    QVERIFY(!model.data(model.index(5)).isValid());

    // In word mode the row marked for the next segment is drawn again when
    // the mark leaves it, also the first time after new rows.
    lines.setWordMode(true);
    lines.setRows(TimingRowsFromList({u"[--:--]a"_s, u"[--:--]b"_s}));
    QCOMPARE(model.data(model.index(0), TimingListModel::kNextSegmentRole).toPoint(), QPoint(7, 1));
    data.clear();
    lines.selectRow(1);
    QCOMPARE(data.size(), 2);
    QVERIFY(!model.data(model.index(0), TimingListModel::kNextSegmentRole).isValid());
}

namespace {

// A line's words as "seg@ms|seg|…", with "|@ms" for its end.
QString WordsAsText(const LineWords& words)
{
    QStringList parts;
    for (qsizetype s = 0; s < words.count(); ++s) {
        const ExactTime t = words.timeOf(s);
        parts.append(words.unitText(s).toString() + (t ? u"@%1"_s.arg(*t) : QString()));
    }
    if (words.end)
        parts.append(u"@%1"_s.arg(*words.end));
    return parts.join(u'|');
}

// Acts on a run played in word mode: +n (the song plays on n ms), sp
// (Space), SP (Shift+Space), < and > (nudge 100 ms), R, S, N (Next), u
// (undo), y (redo), L (word mode off), lag50, split (the first line split as
// its first two characters and the rest), sel<row>.
void Act(const QString& acts, ScriptedDevice& device, Transport& transport, TimingLines& lines)
{
    for (const QString& act : acts.split(u' ')) {
        if (act.startsWith(u'+'))
            device.advance(act.mid(1).toInt());
        else if (act == u"sp")
            lines.set();
        else if (act == u"SP")
            lines.setEnd();
        else if (act == u"<" || act == u">")
            lines.nudge(act == u"<" ? -100 : 100);
        else if (act == u"R")
            lines.retake();
        else if (act == u"S")
            lines.shiftFromHere();
        else if (act == u"u")
            lines.undo();
        else if (act == u"y")
            lines.redo();
        else if (act == u"L")
            lines.setWordMode(false);
        else if (act == u"lag50")
            transport.setLag(50);
        else if (act == u"split")
            lines.setSplit(1, WordShape{{0, 2}, {}});
        else if (act == u"N")
            lines.next();
        else if (act.startsWith(u"sel"))
            lines.selectRow(act.mid(3).toInt());
        transport.tick();
    }
}

} // namespace

void TestTimingRun::wordModeProposesReadingsOnce()
{
    ScriptedDevice device({120000});
    Transport transport(device);
    FakeReadings readings({{u"世界"_s, u"セカイ"_s}, {u"空"_s, u"ソラ"_s}});
    TimingLines lines(transport, &readings);
    LineWords ownSplit = LineWords::split(u"世界"_s);
    ownSplit.reshape({0});
    lines.setRows(
        {TimingRow::fromListRow(u"-------"_s), TimingRow::fromListRow(u"[--:--]世界の空"_s),
         TimingRow::fromListRow(u"[00:05]空へ"_s), TimingRow::fromListRow(u"[--:--]ラララ"_s),
         TimingRow::fromListRow(u"[--:--]世界"_s, std::nullopt, ownSplit)});
    const auto shown = [&] {
        QStringList rows;
        for (const TimingRow& row : lines.sheet().rows())
            rows.append(NotatedWords(row.words()));
        return rows.join(u' ');
    };
    const QString plain = u" 世|界|の|空 空|へ ラ|ラ|ラ 世界"_s;
    const QString proposed = u" 世界《せ|か|い》|の|空《そ|ら》 空《そ|ら》|へ ラ|ラ|ラ 世界"_s;
    QCOMPARE(shown(), plain);
    QCOMPARE(readings.proposed, 0);
    // The lines with kanji and no words of their own take readings, as one
    // step; a line split by the user keeps its split.
    lines.setWordMode(true);
    QCOMPARE(shown(), proposed);
    QVERIFY(lines.undo());
    QCOMPARE(shown(), plain);
    QVERIFY(lines.redo());
    QCOMPARE(shown(), proposed);
    // A reading the user takes off stays off when word mode comes back.
    QVERIFY(lines.setSplit(1, ShapeFromNotation(u"世界の空"_s, u"世界|の|空《そ|ら》"_s)));
    lines.setWordMode(false);
    lines.setWordMode(true);
    QCOMPARE(shown().section(u' ', 1, 1), u"世界|の|空《そ|ら》"_s);
    // Proposed again on the user's word, for the selected line.
    lines.selectRow(1);
    QVERIFY(lines.setSplit(1, std::nullopt));
    QCOMPARE(shown(), proposed);
    QVERIFY(!lines.setSplit(1, std::nullopt));

    // Without a dictionary nothing changes, and the run says why.
    FakeReadings none({});
    TimingLines without(transport, &none);
    QSignalSpy told(&without, &TimingLines::readingsUnavailable);
    without.setRows(TimingRowsFromList({u"[--:--]世界"_s}));
    without.setWordMode(true);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told.at(0).at(0).toString(), u"no dictionary here"_s);
    QVERIFY(!without.undo());
}

void TestTimingRun::wordModeStampsAndCorrectsSegments_data()
{
    // Played from the start of the track in word mode, then the acts: +n
    // (the song plays on n ms), sp (Space), SP (Shift+Space), < and > (nudge
    // 100 ms), R, S, N (Next), u (undo), y (redo), L (word mode off), lag50,
    // split (the first line split as きょ|うは), sel<row>.
    QTest::addColumn<QString>("acts");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<ExactTime>("firstLine");
    QTest::addColumn<ExactTime>("lastLine");
    const ExactTime later(9000);
    QTest::newRow("segment by segment, then the next line")
        << u"+1000 sp +500 sp +500 sp +400 sp"_s << u"きょ@1000|う@1500|は@2000"_s
        << u"go @2400|on"_s << ExactTime(1000) << later;
    QTest::newRow("Shift+Space ends the last segment")
        << u"+1000 sp +500 sp +500 sp +300 SP"_s << u"きょ@1000|う@1500|は@2000|@2300"_s
        << u"go |on"_s << ExactTime(1000) << later;
    QTest::newRow("Shift+Space before the last segment does nothing")
        << u"+1000 sp +300 SP"_s << u"きょ@1000|う|は"_s << u"go |on"_s << ExactTime(1000) << later;
    QTest::newRow("a nudge stays between the neighbours")
        << u"+1000 sp +500 sp +500 sp < < < < < < <"_s << u"きょ@1000|う@1500|は@1500"_s
        << u"go |on"_s << ExactTime(1000) << later;
    QTest::newRow("the first segment's nudge moves the line")
        << u"+1000 sp > >"_s << u"きょ@1200|う|は"_s << u"go |on"_s << ExactTime(1200) << later;
    QTest::newRow("undo and redo, one segment a step")
        << u"+1000 sp +500 sp u u u y"_s << u"きょ@1000|う|は"_s << u"go |on"_s << ExactTime(1000)
        << later;
    QTest::newRow("a retake stamps the segment again")
        << u"+1000 sp +500 sp R +1600 sp"_s << u"きょ@1000|う@1600|は"_s << u"go |on"_s
        << ExactTime(1000) << later;
    QTest::newRow("a line taken again drops its later times and its end")
        << u"+1000 sp +500 sp +500 sp +300 SP sel2 sel1 R +1200 sp"_s << u"きょ@1200|う|は"_s
        << u"go |on"_s << ExactTime(1200) << later;
    QTest::newRow("R on a line timed whole stamps that line again")
        << u"sel3 R +3100 sp"_s << u"きょ|う|は"_s << u"go |on"_s << ExactTime() << ExactTime(9100);
    QTest::newRow("Next passes over the line Space would stamp")
        << u"+1000 sp +500 sp +500 sp N +400 sp"_s << u"きょ@1000|う@1500|は@2000"_s << u"go |on"_s
        << ExactTime(1000) << ExactTime(2400);
    QTest::newRow("Next before any stamp")
        << u"N +1000 sp"_s << u"きょ|う|は"_s << u"go @1000|on"_s << ExactTime() << later;
    QTest::newRow("a shift moves what follows")
        << u"+1000 sp +500 sp +1000 S"_s << u"きょ@1000|う@2500|は"_s << u"go |on"_s
        << ExactTime(1000) << ExactTime(10000);
    QTest::newRow("the lag comes off segment stamps")
        << u"lag50 +1000 sp +500 sp"_s << u"きょ@950|う@1450|は"_s << u"go |on"_s << ExactTime(950)
        << later;
    QTest::newRow("a line moved line by line moves its words")
        << u"+1000 sp +500 sp L >"_s << u"きょ@1100|う@1600|は"_s << u"go |on"_s << ExactTime(1100)
        << later;
    QTest::newRow("a new split drops the times, not the line's")
        << u"+1000 sp +500 sp split"_s << u"きょ|うは"_s << u"go |on"_s << ExactTime(1000) << later;
}

void TestTimingRun::wordModeStampsAndCorrectsSegments()
{
    QFETCH(QString, acts);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(ExactTime, firstLine);
    QFETCH(ExactTime, lastLine);
    ScriptedDevice device({120000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    TimingLines lines(transport);
    lines.setRows(
        TimedRows({u"-------"_s, u"[--:--]きょうは"_s, u"[--:--]go on"_s, u"[00:09]later"_s},
                  {std::nullopt, std::nullopt, std::nullopt, 9000}));
    lines.setWordMode(true);
    transport.play();
    Act(acts, device, transport, lines);
    const TimingSheet& sheet = lines.sheet();
    QCOMPARE(WordsAsText(sheet.row(1).words()), first);
    QCOMPARE(WordsAsText(sheet.row(2).words()), second);
    QCOMPARE(sheet.row(1).exactTime(), firstLine);
    QCOMPARE(sheet.row(3).exactTime(), lastLine);
    // What is kept is what was stamped, and lines without words keep none.
    const WordTimes kept = KeptWordTimes(sheet.rows());
    QCOMPARE(kept.at(1).hasTimes(), first.contains(u'@'));
    QVERIFY(!kept.at(0).isWorthKeeping());
}

void TestTimingRun::readingsAreTimedPerSegment_data()
{
    QTest::addColumn<QString>("acts");
    QTest::addColumn<QString>("words");
    QTest::newRow("Space per mora, then the kana")
        << u"+1000 sp +300 sp +300 sp +300 sp +300 sp"_s
        << u"せ@1000|か@1300|い@1600|の@1900|そ@2200|ら"_s;
    QTest::newRow("undo takes back one mora")
        << u"+1000 sp +300 sp +300 sp u"_s << u"せ@1000|か@1300|い|の|そ|ら"_s;
    QTest::newRow("a nudge moves the mora last stamped")
        << u"+1000 sp +300 sp >"_s << u"せ@1000|か@1400|い|の|そ|ら"_s;
    QTest::newRow("a retake stamps the mora again")
        << u"+1000 sp +300 sp R +1700 sp"_s << u"せ@1000|か@1700|い|の|そ|ら"_s;
    QTest::newRow("a new split of the reading drops its times")
        << u"+1000 sp +300 sp resplit"_s << u"せか|い|の|そ|ら"_s;
}

void TestTimingRun::readingsAreTimedPerSegment()
{
    QFETCH(QString, acts);
    QFETCH(QString, words);
    ScriptedRun scripted({120000}, u"0"_s);
    ScriptedDevice& device = scripted.device;
    Transport& transport = scripted.run.transport();
    TimingLines& lines = scripted.run.lines();
    lines.setRows(TimingRowsFromList({u"-------"_s, u"[--:--]世界の空"_s}));
    lines.setSplit(1, *ShapeFromNotation(u"世界の空"_s, u"世界《せ|か|い》|の|空《そ|ら》"_s));
    lines.setWordMode(true);
    transport.play();
    if (acts.endsWith(u"resplit"_s)) {
        Act(acts.chopped(8), device, transport, lines);
        lines.setSplit(1, *ShapeFromNotation(u"世界の空"_s, u"世界《せか|い》|の|空《そ|ら》"_s));
    } else {
        Act(acts, device, transport, lines);
    }
    const TimingRow& row = lines.sheet().row(1);
    QCOMPARE(WordsAsText(row.words()), words);
    // The base's time, and the line's, is its first mora's; a new split
    // keeps the line's.
    QCOMPARE(row.exactTime(), ExactTime(1000));
}

void TestTimingRun::lagIsRealTimeAtAnySpeed_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<double>("deviceSpeed"); // as the device is asked to play
    QTest::addColumn<qint32>("lag");
    QTest::addColumn<qint32>("stamp"); // heard at 10 s of the song
    QTest::newRow("full speed") << 100 << 1.0 << 100 << 9900;
    QTest::newRow("half speed: half the song time") << 50 << 0.5 << 100 << 9950;
    QTest::newRow("three quarters") << 75 << 0.75 << 100 << 9925;
    QTest::newRow("early presses too") << 50 << 0.5 << -40 << 10020;
}

void TestTimingRun::lagIsRealTimeAtAnySpeed()
{
    QFETCH(int, percent);
    QFETCH(double, deviceSpeed);
    QFETCH(qint32, lag);
    QFETCH(qint32, stamp);
    // The speed chosen is kept in the settings of a home of the test's own.
    testfiles::WorkArea home;
    ScriptedDevice device({120000});
    device.setCommand(u"Open"_s);
    Transport transport(device);
    transport.loadDisc(u"0"_s);
    transport.setLag(lag);
    transport.setSpeed(percent);
    QCOMPARE(device.speed, deviceSpeed);
    transport.play();
    device.advance(10000);
    QCOMPARE(transport.stampPosition(), stamp);
    // The next run plays at it.
    QCOMPARE(Transport(device).speed(), percent);
}

QTEST_GUILESS_MAIN(TestTimingRun)
#include "tst_timingrun.moc"
