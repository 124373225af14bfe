#include "session/timingcommands.h"

#include "session/timingsession.h"
#include "settings/playbackspeed.h"

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// A nudge moves a time by a tenth of a second, with Shift by a second, with
// Alt by a hundredth.
constexpr qint32 kNudgeMs = 100;
constexpr qint32 kNudgeSecondMs = 1000;
constexpr qint32 kNudgeFineMs = 10;

bool always(const TimingSession&)
{
    return true;
}

bool whileSetCan(const TimingSession& session)
{
    return session.canSet();
}

// A command that moves the run or what plays, and changes no row.
template <auto act> bool changesNoRow(TimingSession& session, bool)
{
    (session.*act)();
    return false;
}

TimingCommand nudge(const QString& name, QKeyCombination key, qint32 deltaMs)
{
    return {name, {key}, true, always, [deltaMs](TimingSession& session, bool repeat) {
                return session.nudge(deltaMs, repeat);
            }};
}

TimingCommand speedStep(const QString& name, QKeyCombination key, int steps)
{
    return {name, {key}, true, always, [steps](TimingSession& session, bool) {
                Transport& transport = session.transport();
                transport.setSpeed(StepPlaybackSpeed(transport.speed(), steps));
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
        {u"set"_s, {plain(Qt::Key_Space)}, false, whileSetCan, changesNoRow<&TimingSession::set>},
        {u"set-end"_s,
         {shift(Qt::Key_Space)},
         false,
         whileSetCan,
         [](TimingSession& session, bool) { return session.stampSegmentEnd(); }},
        {u"next"_s, {}, false, always, changesNoRow<&TimingSession::next>},
        {u"top"_s, {}, false, always, changesNoRow<&TimingSession::top>},
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
         [](TimingSession& session, bool) { return session.retake(); }},
        {u"shift-from-here"_s,
         {plain(Qt::Key_S), shift(Qt::Key_S)},
         false,
         always,
         [](TimingSession& session, bool) { return session.shiftFromHere(); }},
        {u"undo"_s,
         {ctrl(Qt::Key_Z)},
         true,
         always,
         [](TimingSession& session, bool) { return session.undo(); }},
        {u"redo"_s,
         {ctrl(Qt::Key_Y), QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z)},
         true,
         always,
         [](TimingSession& session, bool) { return session.redo(); }},
        {u"play"_s, {}, false, always, changesNoRow<&TimingSession::play>},
        {u"play-from-line"_s,
         {},
         false,
         [](const TimingSession& session) {
             const int selected = session.selectedRow();
             return selected >= 0 && session.row(selected).isTimed();
         },
         changesNoRow<&TimingSession::playFromSelectedRow>},
        {u"pause"_s, {}, false, always, changesNoRow<&TimingSession::pause>},
        {u"stop"_s, {}, false, always, changesNoRow<&TimingSession::stop>},
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
