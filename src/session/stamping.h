#pragma once

// Stamping and moving through the timing list as functions of the rows and
// the selected row (-1 for none); the timing window only applies the result.
// A row is to be timed when its tag begins with "[", and takes a stamp when
// its seventh character is "]" as well (a row with a time always does).

#include "document/timingrow.h"

namespace verselet {

class SheetEdit;

struct SetStep
{
    int selected = -1;
    // The run is over: there was no row after the selection to stamp. The
    // selection is then on the last row when rows not to be timed were passed
    // over on the way, else where it was.
    bool runEnds = false;
    // The selected row took the stamp.
    bool stamped = false;
};

// Set: from the sheet's selection, moves to the next row to be timed,
// passing over the others, and stamps it with the heard position `stampMs`
// when it can take one (its word times move with it). The stamp is made in
// `edit`; the selection is left to the caller.
SetStep PressSet(SheetEdit& edit, qint32 stampMs);

struct NextStep
{
    int selected = -1;
    // The row moved to can take a stamp: show its tag field and text.
    bool showRow = false;
};

// Next: moves to the next row to be timed without changing any; from the last
// row it wraps to row 0 and shows nothing new. Nothing to select in an empty
// list.
NextStep PressNext(const TimingRows& rows, int selected);

} // namespace verselet
