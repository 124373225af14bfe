#include "session/stamping.h"

#include "session/timingsheet.h"

namespace verselet {

SetStep PressSet(SheetEdit& edit, qint32 stampMs)
{
    const TimingRows& rows = edit.sheet().rows();
    int selected = edit.sheet().selected();
    const int count = int(rows.size());
    for (;;) {
        if (selected + 1 >= count)
            return {selected, true};
        ++selected;
        if (!rows.at(selected).isTimed())
            continue;
        if (!rows.at(selected).canTakeStamp())
            return {selected, false, false};
        edit.retime(selected, stampMs);
        return {selected, false, true};
    }
}

NextStep PressNext(const TimingRows& rows, int selected)
{
    const int count = int(rows.size());
    if (count == 0)
        return {selected, false};
    for (;;) {
        if (selected + 1 >= count)
            return {0, false};
        ++selected;
        if (!rows.at(selected).isTimed())
            continue;
        return {selected, rows.at(selected).canTakeStamp()};
    }
}

} // namespace verselet
