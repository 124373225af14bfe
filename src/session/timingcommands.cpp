#include "session/timingcommands.h"

#include "session/timingrun.h"
#include "settings/playbackspeed.h"

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// A nudge moves a time by a tenth of a second, with Shift by a second, with
// Alt by a hundredth.
constexpr qint32 kNudgeMs = 100;
constexpr qint32 kNudgeSecondMs = 1000;
constexpr qint32 kNudgeFineMs = 10;

bool always(const TimingRun&)
{
    return true;
}

bool whileRunning(const TimingRun& run)
{
    return run.transport().isRunning();
}

bool whileStill(const TimingRun& run)
{
    return !run.transport().isRunning();
}

// The selected line has a time to start from.
bool onATimedLine(const TimingRun& run)
{
    const TimingSheet& sheet = run.lines().sheet();
    return sheet.hasRow(sheet.selected()) && sheet.row(sheet.selected()).isTimed();
}

// In word mode, a line selected that has text.
bool onALineInWordMode(const TimingRun& run)
{
    const TimingSheet& sheet = run.lines().sheet();
    return run.lines().wordMode() && sheet.hasRow(sheet.selected()) &&
           !sheet.row(sheet.selected()).text().isEmpty();
}

// A command of the run's lines.
template <auto act> bool ofTheLines(TimingRun& run, bool)
{
    return bool((run.lines().*act)());
}

// A command that moves the run or what plays, and changes no row.
template <auto act> bool changesNoRow(TimingRun& run, bool)
{
    (run.*act)();
    return false;
}

// A command that moves through the lines; the list shows what it changes
// as it is made.
template <auto act> bool movesTheLines(TimingRun& run, bool)
{
    (run.lines().*act)();
    return false;
}

TimingCommand nudge(const QString& name, QKeyCombination key, qint32 deltaMs)
{
    return {name, {key}, true, always, [deltaMs](TimingRun& run, bool repeat) {
                return run.lines().nudge(deltaMs, repeat);
            }};
}

TimingCommand speedStep(const QString& name, QKeyCombination key, int steps)
{
    return {name, {key}, true, always, [steps](TimingRun& run, bool) {
                Transport& transport = run.transport();
                transport.setSpeed(StepPlaybackSpeed(transport.speed(), steps));
                return false;
            }};
}

// A test display is asked for; the one who runs the input opens it.
TimingCommand test(const QString& name, bool fromBeginning,
                   std::function<bool(const TimingRun&)> canRun)
{
    return {name, {}, false, std::move(canRun), [fromBeginning](TimingRun& run, bool) {
                Q_EMIT run.testRequested(fromBeginning);
                return false;
            }};
}

QList<TimingCommand> makeCommands()
{
    const auto plain = [](Qt::Key key) { return QKeyCombination(key); };
    const auto shift = [](Qt::Key key) { return QKeyCombination(Qt::ShiftModifier, key); };
    const auto ctrl = [](Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); };
    const auto alt = [](Qt::Key key) { return QKeyCombination(Qt::AltModifier, key); };
    return {
        // The list shows the stamp as it is made: nothing to show again.
        {u"set"_s, {plain(Qt::Key_Space)}, false, whileRunning, movesTheLines<&TimingLines::set>},
        {u"set-end"_s,
         {shift(Qt::Key_Space)},
         false,
         whileRunning,
         ofTheLines<&TimingLines::setEnd>},
        {u"next"_s, {}, false, always, movesTheLines<&TimingLines::next>},
        {u"top"_s, {}, false, always, movesTheLines<&TimingLines::top>},
        nudge(u"nudge-back"_s, plain(Qt::Key_Left), -kNudgeMs),
        nudge(u"nudge-on"_s, plain(Qt::Key_Right), kNudgeMs),
        nudge(u"nudge-back-second"_s, shift(Qt::Key_Left), -kNudgeSecondMs),
        nudge(u"nudge-on-second"_s, shift(Qt::Key_Right), kNudgeSecondMs),
        nudge(u"nudge-back-fine"_s, alt(Qt::Key_Left), -kNudgeFineMs),
        nudge(u"nudge-on-fine"_s, alt(Qt::Key_Right), kNudgeFineMs),
        speedStep(u"slower"_s, ctrl(Qt::Key_Down), -1),
        speedStep(u"faster"_s, ctrl(Qt::Key_Up), 1),
        {u"retake"_s,
         {plain(Qt::Key_R), shift(Qt::Key_R)},
         false,
         always,
         ofTheLines<&TimingLines::retake>},
        {u"shift-from-here"_s,
         {plain(Qt::Key_S), shift(Qt::Key_S)},
         false,
         always,
         ofTheLines<&TimingLines::shiftFromHere>},
        {u"undo"_s, {ctrl(Qt::Key_Z)}, true, always, ofTheLines<&TimingLines::undo>},
        {u"redo"_s,
         {ctrl(Qt::Key_Y), QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)},
         true,
         always,
         ofTheLines<&TimingLines::redo>},
        {u"word-mode"_s,
         {},
         false,
         always,
         [](TimingRun& run, bool) {
             run.lines().setWordMode(!run.lines().wordMode());
             return false;
         }},
        {u"propose-readings"_s,
         {},
         false,
         onALineInWordMode,
         [](TimingRun& run, bool) {
             return run.lines().setSplit(run.lines().sheet().selected(), std::nullopt);
         }},
        {u"play"_s, {}, false, always, changesNoRow<&TimingRun::play>},
        {u"play-from-line"_s,
         {},
         false,
         onATimedLine,
         changesNoRow<&TimingRun::playFromSelectedLine>},
        {u"pause"_s,
         {},
         false,
         always,
         [](TimingRun& run, bool) {
             run.transport().pause();
             return false;
         }},
        {u"stop"_s, {}, false, always, changesNoRow<&TimingRun::stop>},
        test(u"test"_s, true, whileStill),
        test(u"test-from-line"_s, false, onATimedLine),
    };
}

} // namespace

const QList<TimingCommand>& TimingCommands()
{
    static const QList<TimingCommand> commands = makeCommands();
    return commands;
}

const TimingCommand* TimingCommandForKey(QKeyCombination key)
{
    const Qt::KeyboardModifiers mods =
        key.keyboardModifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const QKeyCombination pressed(mods, key.key());
    for (const TimingCommand& command : TimingCommands()) {
        if (command.keys.contains(pressed))
            return &command;
    }
    return nullptr;
}

const TimingCommand* TimingCommandNamed(const QString& name)
{
    for (const TimingCommand& command : TimingCommands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

} // namespace verselet
