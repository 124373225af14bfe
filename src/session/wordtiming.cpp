#include "session/wordtiming.h"

#include "session/transport.h"

namespace verselet {

SetStep WordTiming::set(TimingContext& run)
{
    const qint32 heard = run.transport().stampPosition();
    const SheetPlace place = run.sheet().nextSegment();
    // Nothing left to stamp: the run ends as it does line by line.
    if (place.row < 0)
        return LineTiming::set(run);
    SheetEdit edit = run.edit();
    if (place.row != run.sheet().selected())
        run.select(place.row);
    const TimingRow& row = run.sheet().row(place.row);
    if (!row.canTakeStamp())
        return {place.row, false, false};
    // The first segment's stamp is the line's. A segment stamped again
    // starts the line's take again from there: the later times of the take
    // before go with it, so that the line's times stay in order.
    LineWords words = row.words();
    words.stamp(place.segment, heard);
    edit.setWords(place.row, words);
    run.setSegment(place.segment + 1);
    if (!run.commit(edit, TimingAct::Stamp))
        run.show(place.row);
    return {place.row, false, true};
}

bool WordTiming::setEnd(TimingContext& run)
{
    const TimingSheet& sheet = run.sheet();
    if (sheet.selected() < 0)
        return false;
    LineWords words = sheet.row(sheet.selected()).words();
    if (words.count() == 0 || sheet.segment() < words.count() || !words.timeOf(words.count() - 1))
        return false;
    words.end = std::max(run.transport().stampPosition(), *words.timeOf(words.count() - 1));
    SheetEdit edit = run.edit();
    edit.setWords(sheet.selected(), words);
    run.commit(edit, TimingAct::StampEnd);
    return true;
}

bool WordTiming::nudge(TimingContext& run, qint32 deltaMs, bool repeat)
{
    const int selected = run.sheet().selected();
    if (selected < 0)
        return false;
    LineWords words = run.sheet().row(selected).words();
    const int segment = currentSegment(run.sheet());
    const ExactTime time = words.timeOf(segment);
    if (!time)
        return LineTiming::nudge(run, deltaMs, repeat);
    // A segment its neighbour holds back is still the one nudged: the line
    // does not move instead.
    words.move(segment, ClampToPosition(qint64(*time) + deltaMs));
    SheetEdit edit = run.edit();
    edit.setWords(selected, words);
    run.commit(edit, TimingAct::Nudge, repeat);
    return true;
}

bool WordTiming::retake(TimingContext& run)
{
    const int selected = run.sheet().selected();
    if (selected < 0)
        return false;
    const TimingRow& row = run.sheet().row(selected);
    const int segment = currentSegment(run.sheet());
    if (const ExactTime time = row.words().timeOf(segment)) {
        playBefore(run, *time);
        // The next Set stamps this segment again.
        run.setSegment(segment);
        return true;
    }
    const ExactTime time = row.when();
    if (!time)
        return false;
    playBefore(run, *time);
    // Space stamps the selected line's first segment next.
    run.setSegment(0);
    return true;
}

bool WordTiming::shiftFromHere(TimingContext& run)
{
    const int selected = run.sheet().selected();
    if (!run.transport().isRunning() || selected < 0)
        return false;
    LineWords words = run.sheet().row(selected).words();
    const int segment = currentSegment(run.sheet());
    const ExactTime time = words.timeOf(segment);
    if (!time)
        return LineTiming::shiftFromHere(run);
    const qint64 delta = qint64(run.transport().stampPosition()) - *time;
    words.shift(delta, segment);
    SheetEdit edit = run.edit();
    edit.setWords(selected, words);
    shiftLater(edit, selected, delta);
    run.commit(edit, TimingAct::Shift);
    return true;
}

} // namespace verselet
