#pragma once

// A way of timing a run: line by line, or segment by segment. Set (Space),
// Shift+Space, Next, a nudge, a retake, a shift from here and a dragged mark
// each ask the run's current way, which works on the run's sheet and
// transport through a TimingContext. The run picks the way; nothing else
// asks which one it is.

#include "session/stamping.h"
#include "session/timingsheet.h"

namespace verselet {

class Transport;

// What one act is, for the repeats of a held key to amend its step.
enum class TimingAct
{
    Stamp,
    StampEnd,
    EditTag,
    Nudge,
    Shift,
    Drag,
    Split,
    Readings
};

// What a way of timing works on: the run's sheet, changed through an edit
// that the run keeps as one step, and its transport.
class TimingContext
{
public:
    virtual const TimingSheet& sheet() const = 0;
    virtual Transport& transport() = 0;
    // A change of the rows, made in `edit` and kept as one step of `act`;
    // the rows it changed are told. False when it changed none.
    virtual SheetEdit edit() = 0;
    virtual bool commit(const SheetEdit& edit, TimingAct act, bool repeat = false) = 0;
    // The selection moved as the user's choice would move it (the views
    // follow); the segment stamped next in it.
    virtual void select(int row) = 0;
    virtual void setSegment(int segment) = 0;
    // A row is shown again, changed or not.
    virtual void show(int row) = 0;

protected:
    ~TimingContext() = default;
};

class TimingMode
{
public:
    virtual ~TimingMode() = default;

    // Set: stamps what is next with the heard position.
    virtual SetStep set(TimingContext& run) = 0;
    // Shift+Space: the end of what was stamped last; false when there is
    // none to mark.
    virtual bool setEnd(TimingContext& run) = 0;
    // Next: passes over what the next stamp would go to.
    virtual NextStep next(TimingContext& run) = 0;
    // The selected line's time (or its last stamped segment's) moved by
    // `deltaMs`, not below 0 nor past the largest position, its tag following
    // by truncation; false when there is nothing with a time to move, or it
    // does not move.
    virtual bool nudge(TimingContext& run, qint32 deltaMs, bool repeat) = 0;
    // Plays from 3 s before the selected line's time (or its segment's; from
    // the track start when that is sooner), so that the next Set stamps it
    // again: line by line the line before is selected; word by word the line
    // stays, and its last stamped segment is stamped again (its first, when
    // that one has no time). False when it has no time.
    virtual bool retake(TimingContext& run) = 0;
    // While playing: the selected line (or segment) takes the heard
    // position and everything after it with a time moves by as much (not
    // below 0).
    virtual bool shiftFromHere(TimingContext& run) = 0;
    // Where the list marks the next stamp; row -1 for no mark.
    virtual SheetPlace mark(const TimingSheet& sheet) const = 0;

    // A mark dragged: a row's time (segment -1) or a segment's (segment
    // count() is the line's end), held between its neighbours. One step;
    // false when it has no time.
    bool drag(TimingContext& run, int row, int segment, qint32 milliseconds);
};

} // namespace verselet
