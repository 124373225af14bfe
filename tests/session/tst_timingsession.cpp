#include "session/timinglistmodel.h"
#include "session/timingrun.h"
#include "session/timingsession.h"
#include "settings/calibration.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

#include "scripteddevice.h"
#include "testfiles.h"

using namespace verselet;
using namespace Qt::StringLiterals;

// A run of real-time input without any window: the session against a device
// whose clock the test moves.
class TestTimingSession : public QObject
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
    void nudgeMovesATimeAndItsTag_data();
    void nudgeMovesATimeAndItsTag();
    void retakeAndShiftFromHere();
    void undoAndRedoGoStepByStep();
    void playFromTheSelectedLineAndTheTrackEnd();
    void playbackThatEndsByItselfStops();
    void linesPast100MinutesKeepTheirText_data();
    void linesPast100MinutesKeepTheirText();
    void lateTickStillEndsTheTrack();
    void runOwnsItsDeviceSessionAndLag();
    void testDisplaysPlayAndStop();
    void modelFollowsTheRows();
    void wordModeStampsAndCorrectsSegments_data();
    void wordModeStampsAndCorrectsSegments();
    void lagIsRealTimeAtAnySpeed_data();
    void lagIsRealTimeAtAnySpeed();
};

void TestTimingSession::tracksAndTheRememberedOne_data()
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

void TestTimingSession::tracksAndTheRememberedOne()
{
    QFETCH(QString, remembered);
    QFETCH(int, chosen);
    QFETCH(int, deviceTrack);
    ScriptedDevice device({245900, 60000, 6000000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    QSignalSpy tracks(&session, &TimingSession::tracksChanged);
    QVERIFY(session.loadDisc(remembered));
    QCOMPARE(session.trackEntries(),
             (QStringList{u"ﾄﾗｯｸ1 [04:05]"_s, u"ﾄﾗｯｸ2 [01:00]"_s, u"ﾄﾗｯｸ3 [100:00]"_s}));
    QCOMPARE(tracks.size(), 1);
    QCOMPARE(session.selectedTrack(), chosen);
    QCOMPARE(device.TimeFormat(), 0);
    // The device describes the chosen track, armed at its start when one is.
    QCOMPARE(device.Track(), deviceTrack);
    QCOMPARE(device.fromPending(), chosen >= 0);
    QCOMPARE(session.PlayingFlag(), qint16(0));

    // Another disc, once the device has looked at it: "更新" lists it; none
    // at all lists nothing.
    device.changeDisc({30000});
    device.lookAtTheMedium();
    QVERIFY(session.relistTracks(remembered));
    QCOMPARE(session.trackEntries(), QStringList{u"ﾄﾗｯｸ1 [00:30]"_s});
    QCOMPARE(device.Track(), 1);
    device.changeDisc({});
    device.lookAtTheMedium();
    QVERIFY(!session.relistTracks(remembered));
    QVERIFY(session.trackEntries().isEmpty());
    QCOMPARE(session.selectedTrack(), -1);
}

void TestTimingSession::transportStatesAndThePlayTime()
{
    ScriptedDevice device({100000, 100000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    QCOMPARE(session.playTime(), u"[--:--]"_s);
    session.tick();
    QCOMPARE(session.playTime(), u"[00:00]"_s);
    QVERIFY(session.loadDisc(u"1"_s));
    QSignalSpy times(&session, &TimingSession::playTimeChanged);

    struct Expect
    {
        qint16 flag;
        bool canSet;
        bool canTest;
        QString time;
    };
    const auto check = [&](const Expect& e, int line) {
        session.tick();
        QVERIFY2(session.PlayingFlag() == e.flag && session.canSet() == e.canSet &&
                     session.canTest() == e.canTest && session.playTime() == e.time,
                 qPrintable(u"line %1: flag %2, set %3, test %4, %5"_s.arg(line)
                                .arg(session.PlayingFlag())
                                .arg(session.canSet())
                                .arg(session.canTest())
                                .arg(session.playTime())));
    };
    session.play(); // from the start of the second track
    device.advance(12500);
    check({1, true, false, u"[00:12]"_s}, __LINE__);
    session.pause(); // the flag and the time stay
    device.advance(5000);
    check({1, false, true, u"[00:12]"_s}, __LINE__);
    session.play(); // on from the pause
    device.advance(3000);
    check({1, true, false, u"[00:15]"_s}, __LINE__);
    session.stop();
    check({0, false, true, u"[00:00]"_s}, __LINE__);
    session.play();
    device.advance(1000);
    check({1, true, false, u"[00:01]"_s}, __LINE__);
    QCOMPARE(device.Position(), 101000);
    session.chooseTrack(0);
    check({0, false, true, u"[00:00]"_s}, __LINE__);
    QVERIFY(device.fromPending());
    QCOMPARE(device.from(), 0);
    // Each change of the time told once.
    QCOMPARE(times.size(), 5);
}

void TestTimingSession::setStampsTheLinesToTimeAndEndsTheRun()
{
    ScriptedDevice device({120000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"0"_s);
    session.setRows(
        {u"       intro"_s, u"[--:--]one"_s, u"       gap"_s, u"[--:--]two"_s, u"-------"_s});
    QSignalSpy changed(&session, &TimingSession::rowChanged);
    session.play();
    QCOMPARE(session.selectedRow(), -1);

    device.advance(5200);
    session.tick();
    SetStep step = session.set();
    QCOMPARE(step.selected, 1);
    device.advance(4000);
    session.tick();
    step = session.set();
    QCOMPARE(step.selected, 3);
    QCOMPARE(session.rows(), (QStringList{u"       intro"_s, u"[00:05]one"_s, u"       gap"_s,
                                          u"[00:09]two"_s, u"-------"_s}));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed.at(1).at(0).toInt(), 3);

    // Only a line not to be timed follows: the press passes over it to the
    // last line, and the run ends there.
    step = session.set();
    QVERIFY(step.runEnds);
    QCOMPARE(session.selectedRow(), 4);
    QCOMPARE(session.PlayingFlag(), qint16(0));
    QCOMPARE(session.EditGuard(), qint16(0));
    QVERIFY(!session.canSet());
    QVERIFY(!device.isPlaying());
    QCOMPARE(device.from(), 0);
    QCOMPARE(changed.size(), 2);
}

void TestTimingSession::setKeepsTheHeardPositionAsTheExactTime_data()
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

void TestTimingSession::setKeepsTheHeardPositionAsTheExactTime()
{
    QFETCH(int, track);
    QFETCH(QList<qint32>, at);
    QFETCH(bool, tickFirst);
    QFETCH(QStringList, rows);
    QFETCH(ExactTimes, exact);
    QFETCH(qint32, lag);

    ScriptedDevice device({200000, 200000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(QString::number(track));
    // Row 1 comes with an exact time of an earlier run.
    session.setRows({u"[--:--]a"_s, u"[01:05]b"_s, u"[--:--]c"_s}, {std::nullopt, 65432});
    QCOMPARE(session.exactTime(1), ExactTime(65432));
    session.setLagOffset(lag);
    session.play();
    device.advance(500);
    session.tick(); // [00:00]
    qint32 now = 500;
    for (const qint32 ms : at) {
        device.advance(ms - now);
        now = ms;
        if (tickFirst)
            session.tick();
        session.set();
    }
    QCOMPARE(session.rows(), rows);
    QCOMPARE(session.exactTimes(), exact);
}

namespace {

// Rows with and without exact times, and rows that have no time.
const QStringList kTimedRows{u"-------sep"_s,   u"[00:12]one"_s,  u"[--:--]two"_s,
                             u"[01:05]three"_s, u"       skip"_s, u"[00:40]four"_s};
const ExactTimes kTimedExact{std::nullopt, 12950, std::nullopt, std::nullopt, std::nullopt, 40500};

} // namespace

void TestTimingSession::nudgeMovesATimeAndItsTag_data()
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

void TestTimingSession::nudgeMovesATimeAndItsTag()
{
    QFETCH(int, row);
    QFETCH(qint32, delta);
    QFETCH(QString, after);
    QFETCH(ExactTime, exact);

    ScriptedDevice device({200000});
    TimingSession session(device);
    session.setRows(kTimedRows, kTimedExact);
    session.selectRow(row);
    QCOMPARE(session.nudge(delta), !after.isEmpty());
    QStringList rows = kTimedRows;
    ExactTimes times = session.exactTimes();
    if (!after.isEmpty()) {
        rows[row] = after;
        QCOMPARE(times.at(row), exact);
    }
    QCOMPARE(session.rows(), rows);
    QCOMPARE(session.selectedRow(), row);
    QCOMPARE(session.canUndo(), !after.isEmpty());
}

void TestTimingSession::retakeAndShiftFromHere()
{
    ScriptedDevice device({100000, 200000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"1"_s);
    session.setRows(kTimedRows, kTimedExact);

    // R: from 3 s before the line, the selection on the line before it; no
    // row changes and nothing is to undo.
    session.selectRow(5);
    QVERIFY(session.retake());
    QCOMPARE(device.from(), 100000 + 37500);
    QVERIFY(device.isPlaying() && session.canSet());
    QCOMPARE(session.selectedRow(), 4);
    QCOMPARE(session.rows(), kTimedRows);
    QVERIFY(!session.canUndo());
    session.selectRow(2); // no time
    QVERIFY(!session.retake());
    session.setRows({u"[00:02]first"_s}, {2000});
    session.selectRow(0);
    QVERIFY(session.retake());
    QCOMPARE(device.from(), 100000); // the track start
    QCOMPARE(session.selectedRow(), -1);

    // S: the selected line takes the time heard now, the later timed lines
    // move by as much.
    session.setRows(kTimedRows, kTimedExact);
    session.chooseTrack(1);
    session.play();
    device.advance(30000);
    session.selectRow(1);
    QVERIFY(session.shiftFromHere());
    QCOMPARE(session.rows(), (QStringList{u"-------sep"_s, u"[00:30]one"_s, u"[--:--]two"_s,
                                          u"[01:22]three"_s, u"       skip"_s, u"[00:57]four"_s}));
    QCOMPARE(session.exactTimes(),
             (ExactTimes{std::nullopt, 30000, std::nullopt, 82050, std::nullopt, 57550}));
    // Earlier: later lines stop at 0.
    session.stop();
    session.play();
    device.advance(500);
    session.selectRow(3);
    QVERIFY(session.shiftFromHere());
    QCOMPARE(session.exactTimes(),
             (ExactTimes{std::nullopt, 30000, std::nullopt, 500, std::nullopt, 0}));
    QCOMPARE(session.rows().at(5), u"[00:00]four"_s);
    // Only while playing.
    session.pause();
    QVERIFY(!session.shiftFromHere());
}

void TestTimingSession::undoAndRedoGoStepByStep()
{
    ScriptedDevice device({200000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"0"_s);
    session.setRows({u"[--:--]a"_s, u"[--:--]b"_s, u"       c"_s});
    struct State
    {
        QStringList rows;
        ExactTimes exact;
        int selected;
        bool operator==(const State&) const = default;
    };
    const auto state = [&session] {
        return State{session.rows(), session.exactTimes(), session.selectedRow()};
    };
    QList<State> states{state()};
    session.play();
    device.advance(1000);
    session.set(); // a at 1.0 s
    states.append(state());
    device.advance(1000);
    session.set(); // b at 2.0 s
    states.append(state());
    QVERIFY(session.editTag(u"[00:05]"_s));
    // A choice of line is no step of its own; undo comes back to the line
    // that was selected when the change was made.
    session.selectRow(0);
    states.append(state());
    QVERIFY(session.nudge(-100));
    states.append(state());
    QCOMPARE(states.last().rows, (QStringList{u"[00:00]a"_s, u"[00:05]b"_s, u"       c"_s}));
    QCOMPARE(states.last().exact, (ExactTimes{900, 5000, std::nullopt}));

    const QStringList commands = device.commands;
    const qint32 position = device.Position();
    for (qsizetype i = states.size() - 2; i >= 0; --i) {
        QVERIFY(session.undo());
        QCOMPARE(state(), states.at(i));
    }
    QVERIFY(!session.undo());
    QVERIFY(session.redo());
    QVERIFY(session.redo());
    QCOMPARE(state(), states.at(2));
    // Playback is untouched by all of it.
    QCOMPARE(device.commands, commands);
    QCOMPARE(device.Position(), position);
    QVERIFY(device.isPlaying());
    // A new change drops what was undone.
    session.selectRow(1);
    QVERIFY(session.nudge(1000));
    QVERIFY(!session.canRedo());
    QVERIFY(session.undo());
    QCOMPARE(state(), (State{states.at(2).rows, states.at(2).exact, 1}));
    // A new run, a new history.
    session.setRows({u"[--:--]x"_s});
    QVERIFY(!session.canUndo() && !session.canRedo());
}

void TestTimingSession::nextShowsLinesWhileTheEditIsGuarded()
{
    ScriptedDevice device({120000});
    TimingSession session(device);
    session.setRows({u"-------sep"_s, u"[00:03]first"_s, u"       skip"_s, u"[01:"_s});
    QList<std::pair<int, qint16>> shown; // row, EditGuard as it was shown
    connect(&session, &TimingSession::lineShownForEditing, this, [&](int row) {
        shown.append({row, session.EditGuard()});
    });

    QCOMPARE(session.next().selected, 1);
    // The edit a view makes of the field while Next shows it is not taken.
    QCOMPARE(shown, (QList<std::pair<int, qint16>>{{1, qint16(1)}}));
    QVERIFY(session.next().selected == 3); // to be timed, but cannot take a stamp
    QCOMPARE(shown.size(), 1);
    QCOMPARE(session.next().selected, 0); // wraps to the first line, whatever it is
    QCOMPARE(session.EditGuard(), qint16(0));

    // The time field's text, once its seventh character is "]".
    session.selectRow(1);
    QVERIFY(!session.editTag(u"[01:2"_s));
    QVERIFY(session.editTag(u"[01:23]"_s));
    QCOMPARE(session.rows().at(1), u"[01:23]first"_s);
    session.setEditGuard(1);
    QVERIFY(!session.editTag(u"[09:09]"_s));
    session.setEditGuard(0);
    session.selectRow(2);
    QVERIFY(!session.editTag(u"[09:09]"_s)); // not a line to be timed
    QCOMPARE(session.rows().at(2), u"       skip"_s);
    // The tag typed has its whole seconds as the exact time; a tag without
    // a time has none.
    QCOMPARE(session.exactTime(1), ExactTime(83000));
    session.selectRow(1);
    QVERIFY(session.editTag(u"[--:--]"_s));
    QCOMPARE(session.exactTimes(), (ExactTimes{{}, {}, {}, {}}));
}

void TestTimingSession::playFromTheSelectedLineAndTheTrackEnd()
{
    ScriptedDevice device({200000, 245900});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"1"_s);
    session.setRows({u"[01:05]here"_s, u"[--:--]next"_s, u"[04:04]end"_s});
    session.selectRow(0);
    session.playFromSelectedRow();
    QCOMPARE(device.Track(), 2);
    QCOMPARE(device.Position(), 200000 + 65000);
    QVERIFY(session.canSet());
    device.advance(2000);
    session.tick();
    QCOMPARE(session.playTime(), u"[01:07]"_s);
    // The selection stays: the next Set stamps the line after it.
    session.set();
    QCOMPARE(session.rows().at(1), u"[01:07]next"_s);

    // Played to the track's length, to the second: Stopped, re-armed.
    QSignalSpy ended(&session, &TimingSession::endOfTrack);
    session.selectRow(2);
    session.playFromSelectedRow();
    device.advance(900);
    session.tick();
    QVERIFY(ended.isEmpty());
    device.advance(200);
    session.tick();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(session.PlayingFlag(), qint16(0));
    QVERIFY(device.fromPending());
    QCOMPARE(device.from(), 200000);
}

void TestTimingSession::linesPast100MinutesKeepTheirText_data()
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

void TestTimingSession::linesPast100MinutesKeepTheirText()
{
    QFETCH(QString, step);
    QFETCH(QString, row);
    QFETCH(ExactTime, time);
    ScriptedDevice device({7200000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"0"_s);
    // As an LRC file's line reaches the timing list: the tag file's seven
    // characters, the exact time beside them.
    session.setRows({u"[99:59]before"_s, u"[100:02long"_s}, {5999000, 6002340});
    QCOMPARE(session.rows().at(1), u"[100:02]long"_s);
    for (const QString& what : step.split(u' ')) {
        if (what == u"nudge"_s) {
            session.selectRow(1);
            QVERIFY(session.nudge(100));
        } else if (what == u"drag"_s) {
            QVERIFY(session.setRowTime(1, 6060000));
        } else {
            // Playing at 100:01, line 0 selected.
            session.play();
            device.setFrom(6001000);
            device.setCommand(u"Play"_s);
            session.selectRow(0);
            if (what == u"shift"_s)
                QVERIFY(session.shiftFromHere()); // line 0 two seconds late, and so line 1
            else
                QVERIFY(session.set().stamped);
        }
    }
    QCOMPARE(session.rows().at(1), row);
    QCOMPARE(session.row(1).text(), u"long"_s);
    QCOMPARE(session.row(1).tagField(), row.left(7));
    QCOMPARE(session.row(1).when(), time);
}

void TestTimingSession::lateTickStillEndsTheTrack()
{
    // A tick that comes late skips the second the length reads: the track
    // ends all the same, instead of playing on into the next one.
    ScriptedDevice device({65500, 60000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"0"_s);
    QSignalSpy ended(&session, &TimingSession::endOfTrack);
    session.play();
    device.advance(64990);
    session.tick();
    QVERIFY(ended.isEmpty());
    device.advance(1100); // 66.09 s: past [01:05] without a tick there
    session.tick();
    QCOMPARE(ended.size(), 1);
    QCOMPARE(session.PlayingFlag(), qint16(0));
}

void TestTimingSession::playbackThatEndsByItselfStops()
{
    ScriptedDevice device({60000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"0"_s);
    session.play();
    device.advance(5000);
    session.tick();
    device.failReading();
    QCOMPARE(session.PlayingFlag(), qint16(0));
    QVERIFY(!session.canSet());
    QVERIFY(session.canTest());
    session.tick();
    QCOMPARE(session.playTime(), u"[00:00]"_s);
}

void TestTimingSession::testDisplaysPlayAndStop()
{
    ScriptedDevice device({30000, 65500});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"1"_s);
    session.setRows({u"[00:01]a"_s, u"[00:02]b"_s});

    session.selectRow(1);
    session.beginTest(false); // from the selected line
    QCOMPARE(device.Position(), 30000 + 2000);
    QVERIFY(session.canSet() && !session.canTest());
    QCOMPARE(session.PlayingFlag(), qint16(1));
    QCOMPARE(session.selectedRow(), 1);
    session.endTest();
    QVERIFY(!session.canSet() && session.canTest());
    QCOMPARE(session.PlayingFlag(), qint16(0));
    QCOMPARE(device.from(), 30000);

    session.beginTest(true); // from the start: nothing selected
    QCOMPARE(session.selectedRow(), -1);
    QCOMPARE(device.Position(), 30000);
    device.advance(65500);
    QSignalSpy ended(&session, &TimingSession::endOfTrack);
    session.tick();
    // The clock's end check has stopped and re-armed the device, and told
    // the display; the next tick shows the stop.
    QCOMPARE(ended.count(), 1);
    QVERIFY(!device.isPlaying());
    session.tick();
    QCOMPARE(ended.count(), 1);
    QCOMPARE(session.playTime(), u"[00:00]"_s);

    // The run ends: stopped and armed, and the chosen track to remember.
    QCOMPARE(session.finishRun(), u"1"_s);
    QVERIFY(!device.isPlaying());
}

void TestTimingSession::modelFollowsTheRows()
{
    ScriptedDevice device({120000});
    TimingSession session(device);
    TimingListModel model(session);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy data(&model, &QAbstractItemModel::dataChanged);
    session.setRows({u"[--:--]a"_s, u"[--:--]b"_s});
    QCOMPARE(reset.size(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.data(model.index(1)).toString(), u"[--:--]b"_s);
    session.selectRow(1);
    QVERIFY(session.editTag(u"[00:42]"_s));
    QCOMPARE(data.size(), 1);
    QCOMPARE(data.at(0).at(0).toModelIndex().row(), 1);
    QCOMPARE(model.data(model.index(1)).toString(), u"[00:42]b"_s);
    QVERIFY(!model.data(model.index(5)).isValid());

    // In word mode the row marked for the next segment is drawn again when
    // the mark leaves it, also the first time after new rows.
    session.setWordMode(true);
    session.setRows({u"[--:--]a"_s, u"[--:--]b"_s});
    QCOMPARE(model.data(model.index(0), TimingListModel::kNextSegmentRole).toPoint(), QPoint(7, 1));
    data.clear();
    session.selectRow(1);
    QCOMPARE(data.size(), 2);
    QVERIFY(!model.data(model.index(0), TimingListModel::kNextSegmentRole).isValid());
}

void TestTimingSession::runOwnsItsDeviceSessionAndLag()
{
    testfiles::WorkArea home;
    QVERIFY(WriteCalibration(132));
    auto owned = std::make_unique<ScriptedDevice>(QList<qint32>{60000, 120000});
    ScriptedDevice* device = owned.get();
    TimingRun run(std::move(owned), u"/dev/sr0"_s, u"1"_s);
    // Made, it has read the disc (this device reads at once) and chosen the
    // remembered track; the user's lag comes off its stamps.
    QCOMPARE(device->FileName(), u"/dev/sr0"_s);
    QVERIFY(!run.isOpening() && run.hasTracks());
    QCOMPARE(run.session().selectedTrack(), 1);
    QCOMPARE(run.session().lagOffset(), 132);
    // "更新" has the device look at its disc, then lists what it has.
    QSignalSpy relisted(&run, &TimingRun::tracksRelisted);
    device->changeDisc({30000});
    run.relistTracks();
    QCOMPARE(relisted.size(), 1);
    QVERIFY(!run.isRelisting() && relisted.at(0).at(0).toBool());
    QCOMPARE(device->tableReads, 2);
    QCOMPARE(run.session().trackEntries(), QStringList{u"ﾄﾗｯｸ1 [00:30]"_s});
    run.session().chooseTrack(0);
    run.session().play();
    device->advance(1000);
    run.finish();
    QCOMPARE(run.rememberedTrack(), u"0"_s);
    QVERIFY(!device->isPlaying());
    QCOMPARE(device->from(), 0);

    TimingRun empty(std::make_unique<ScriptedDevice>(), QString(), u"0"_s);
    QVERIFY(!empty.isOpening() && !empty.hasTracks());
}

namespace {

// A line's words as "seg@ms|seg|…", with "|@ms" for its end.
QString WordsAsText(const LineWords& words)
{
    QStringList parts;
    for (qsizetype s = 0; s < words.count(); ++s) {
        const ExactTime t = words.timeOf(s);
        parts.append(words.segmentText(s).toString() + (t ? u"@%1"_s.arg(*t) : QString()));
    }
    if (words.end)
        parts.append(u"@%1"_s.arg(*words.end));
    return parts.join(u'|');
}

} // namespace

void TestTimingSession::wordModeStampsAndCorrectsSegments_data()
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

void TestTimingSession::wordModeStampsAndCorrectsSegments()
{
    QFETCH(QString, acts);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(ExactTime, firstLine);
    QFETCH(ExactTime, lastLine);
    ScriptedDevice device({120000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"0"_s);
    session.setRows({u"-------"_s, u"[--:--]きょうは"_s, u"[--:--]go on"_s, u"[00:09]later"_s},
                    {std::nullopt, std::nullopt, std::nullopt, 9000});
    session.setWordMode(true);
    session.play();
    for (const QString& act : acts.split(u' ')) {
        if (act.startsWith(u'+'))
            device.advance(act.mid(1).toInt());
        else if (act == u"sp")
            session.set();
        else if (act == u"SP")
            session.stampSegmentEnd();
        else if (act == u"<" || act == u">")
            session.nudge(act == u"<" ? -100 : 100);
        else if (act == u"R")
            session.retake();
        else if (act == u"S")
            session.shiftFromHere();
        else if (act == u"u")
            session.undo();
        else if (act == u"y")
            session.redo();
        else if (act == u"L")
            session.setWordMode(false);
        else if (act == u"lag50")
            session.setLagOffset(50);
        else if (act == u"split")
            QVERIFY(session.setSplit(1, {0, 2}));
        else if (act == u"N")
            session.next();
        else if (act.startsWith(u"sel"))
            session.selectRow(act.mid(3).toInt());
        session.tick();
    }
    QCOMPARE(WordsAsText(session.row(1).words()), first);
    QCOMPARE(WordsAsText(session.row(2).words()), second);
    QCOMPARE(session.exactTime(1), firstLine);
    QCOMPARE(session.exactTime(3), lastLine);
    // What is kept is what was stamped, and lines without words keep none.
    QCOMPARE(session.wordTimes().at(1).hasTimes(), first.contains(u'@'));
    QVERIFY(!session.wordTimes().at(0).isWorthKeeping());
}

void TestTimingSession::lagIsRealTimeAtAnySpeed_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<qint32>("lag");
    QTest::addColumn<qint32>("stamp"); // heard at 10 s of the song
    QTest::newRow("full speed") << 1.0 << 100 << 9900;
    QTest::newRow("half speed: half the song time") << 0.5 << 100 << 9950;
    QTest::newRow("three quarters") << 0.75 << 100 << 9925;
    QTest::newRow("early presses too") << 0.5 << -40 << 10020;
}

void TestTimingSession::lagIsRealTimeAtAnySpeed()
{
    QFETCH(double, speed);
    QFETCH(qint32, lag);
    QFETCH(qint32, stamp);
    // The speed chosen is kept in the settings of a home of the test's own.
    testfiles::WorkArea home;
    ScriptedDevice device({120000});
    device.setCommand(u"Open"_s);
    TimingSession session(device);
    session.loadDisc(u"0"_s);
    session.setRows({u"[--:--]a"_s});
    session.setLagOffset(lag);
    session.setSpeed(speed);
    QCOMPARE(device.speed, speed);
    session.play();
    device.advance(10000);
    session.set();
    QCOMPARE(session.exactTime(0), ExactTime(stamp));
}

QTEST_GUILESS_MAIN(TestTimingSession)
#include "tst_timingsession.moc"
