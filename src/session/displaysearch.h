#pragma once

// What a test display shows next: the lines of the timing list are shown in
// order, each when the play time reaches its tag, at most one per tick. A
// timed line whose time never comes holds up the lines after it — that is how
// the display shows where the timing is wrong.

#include "document/timingrow.h"

#include <QString>

#include <optional>

namespace verselet {

struct DisplayStep
{
    std::optional<QString> show; // the text to show now, if any
    int shownLineIndex = -1;     // the last line dealt with
};

// From the line after `shownLineIndex`: lines that are not timed (not
// beginning with "[") are passed over; the first timed line is shown when its
// time, to the second, is the play time shown (`playTime`, whole seconds in
// ms), else nothing happens this tick. A line whose tag holds no time never
// comes.
DisplayStep NextDisplayLine(const TimingRows& rows, int shownLineIndex, ExactTime playTime);

} // namespace verselet
