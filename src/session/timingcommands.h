#pragma once

// The commands of a timing run in one table: each has a name, the keys that
// give it, whether a held key repeats it, when it can run and what it does
// to the run. The timing window's keys and buttons both go through it, so
// that what can run now is decided in one place, and the help's key table
// reads from the same rows.

#include <QKeyCombination>
#include <QList>
#include <QString>

#include <functional>

namespace verselet {

class TimingRun;

struct TimingCommand
{
    // Names the command in the code and in the tests ("set", "nudge-back").
    QString name;
    QList<QKeyCombination> keys;
    // A held key gives the command again and again (its repeats amend one
    // step); otherwise once per press.
    bool repeats = false;
    std::function<bool(const TimingRun&)> canRun;
    // True when the run changed.
    std::function<bool(TimingRun&, bool repeat)> run;
};

// Every timing command, in the order the help lists them.
const QList<TimingCommand>& TimingCommands();
// The command a key gives, the keypad's keys as the others; none for a key
// that is not a timing key.
const TimingCommand* TimingCommandForKey(QKeyCombination key);
// The command of this name; none when there is none.
const TimingCommand* TimingCommandNamed(const QString& name);

} // namespace verselet
