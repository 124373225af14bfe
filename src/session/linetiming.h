#pragma once

// Timing line by line: Set stamps the next line to be timed, and the
// corrections move whole lines.

#include "session/timingmode.h"

namespace verselet {

class LineTiming : public TimingMode
{
public:
    SetStep set(TimingContext& run) override;
    bool setEnd(TimingContext&) override { return false; }
    NextStep next(TimingContext& run) override;
    bool nudge(TimingContext& run, qint32 deltaMs, bool repeat) override;
    bool retake(TimingContext& run) override;
    bool shiftFromHere(TimingContext& run) override;
    SheetPlace mark(const TimingSheet&) const override { return {}; }

protected:
    // Plays from 3 s before `milliseconds` (from the track start when that
    // is sooner), to hear the line coming.
    static void playBefore(TimingContext& run, qint32 milliseconds);
    // Every row after `row` with a time moved by `delta`, not below 0.
    static void shiftLater(SheetEdit& edit, int row, qint64 delta);
};

} // namespace verselet
