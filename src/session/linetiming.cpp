#include "session/linetiming.h"

#include "session/transport.h"

#include <algorithm>

namespace verselet {

namespace {

// A retake starts this long before the line, to hear it coming.
constexpr qint32 kRetakeLeadMs = 3000;

// When the selected line begins; none with no line selected.
ExactTime SelectedTime(const TimingSheet& sheet)
{
    return sheet.selected() >= 0 ? sheet.row(sheet.selected()).when() : std::nullopt;
}

} // namespace

bool TimingMode::drag(TimingContext& run, int row, int segment, qint32 milliseconds)
{
    if (!run.sheet().hasRow(row))
        return false;
    SheetEdit edit = run.edit();
    if (segment < 0) {
        if (!run.sheet().row(row).when())
            return false;
        edit.retime(row, std::max(milliseconds, 0));
    } else {
        LineWords words = run.sheet().row(row).words();
        if (!words.move(segment, milliseconds))
            return false;
        edit.setWords(row, words);
    }
    run.commit(edit, TimingAct::Drag);
    return true;
}

void LineTiming::playBefore(TimingContext& run, qint32 milliseconds)
{
    run.transport().playFrom(std::max(milliseconds - kRetakeLeadMs, 0));
}

void LineTiming::shiftLater(SheetEdit& edit, int row, qint64 delta)
{
    for (int later = row + 1; later < edit.sheet().rowCount(); ++later) {
        if (const ExactTime time = edit.row(later).when())
            edit.retime(later, ClampToPosition(*time + delta));
    }
}

SetStep LineTiming::set(TimingContext& run)
{
    const int before = run.sheet().selected();
    // Read at the press, not at the last tick: the tag is the same text as
    // the play time shown but for the time since that tick.
    const qint32 heard = run.transport().stampPosition();
    SheetEdit edit = run.edit();
    const SetStep step = PressSet(edit, heard);
    if (step.runEnds) {
        // Lines not to be timed passed over on the way: the selection stands
        // on the last line.
        if (step.selected != before)
            run.select(step.selected);
        run.commit(edit, TimingAct::Stamp);
        run.transport().halt();
        return step;
    }
    run.select(step.selected);
    if (!run.commit(edit, TimingAct::Stamp))
        run.show(step.selected);
    return step;
}

NextStep LineTiming::next(TimingContext& run)
{
    // Next passes over the line the next stamp would go to: the line after
    // the selection, which Next selects.
    const int from = std::max(run.sheet().selected(), mark(run.sheet()).row);
    const NextStep step = PressNext(run.sheet().rows(), from);
    if (run.sheet().rowCount() > 0)
        run.select(step.selected);
    run.setSegment(0);
    return step;
}

bool LineTiming::nudge(TimingContext& run, qint32 deltaMs, bool repeat)
{
    const int selected = run.sheet().selected();
    const ExactTime time = SelectedTime(run.sheet());
    if (!time)
        return false;
    SheetEdit edit = run.edit();
    edit.retime(selected, ClampToPosition(qint64(*time) + deltaMs));
    run.commit(edit, TimingAct::Nudge, repeat);
    return true;
}

bool LineTiming::retake(TimingContext& run)
{
    const int selected = run.sheet().selected();
    const ExactTime time = SelectedTime(run.sheet());
    if (!time)
        return false;
    playBefore(run, *time);
    // Set goes on from the line before, and so stamps this one next.
    run.select(selected - 1);
    return true;
}

bool LineTiming::shiftFromHere(TimingContext& run)
{
    const int selected = run.sheet().selected();
    const ExactTime time = SelectedTime(run.sheet());
    if (!run.transport().isRunning() || !time)
        return false;
    const qint32 now = run.transport().stampPosition();
    SheetEdit edit = run.edit();
    edit.retime(selected, now);
    shiftLater(edit, selected, qint64(now) - *time);
    run.commit(edit, TimingAct::Shift);
    return true;
}

} // namespace verselet
