#pragma once

// Timing segment by segment (a word in Latin script, a character in
// Japanese): Set stamps the next segment of the line, Shift+Space marks where
// the line ends, and the corrections work on the segment last stamped. Where
// that segment has no time, the line's own correction applies.

#include "session/linetiming.h"

namespace verselet {

class WordTiming final : public LineTiming
{
public:
    SetStep set(TimingContext& run) override;
    bool setEnd(TimingContext& run) override;
    bool nudge(TimingContext& run, qint32 deltaMs, bool repeat) override;
    bool retake(TimingContext& run) override;
    bool shiftFromHere(TimingContext& run) override;
    SheetPlace mark(const TimingSheet& sheet) const override { return sheet.nextSegment(); }

    // The segment the corrections work on: the selected line's last stamped
    // one (its first before any).
    static int currentSegment(const TimingSheet& sheet) { return std::max(sheet.segment() - 1, 0); }
};

} // namespace verselet
