#include "session/stamping.h"

namespace verselet {

SetStep PressSet(TimingRows& rows, int selected, qint32 stampMs)
{
    const int count = int(rows.size());
    for (;;) {
        if (selected + 1 >= count)
            return {selected, true};
        ++selected;
        if (!rows.at(selected).isTimed())
            continue;
        if (!rows.at(selected).canTakeStamp())
            return {selected, false, false};
        rows[selected] = rows.at(selected).retimed(stampMs);
        return {selected, false, true};
    }
}

int NextRowToTime(const TimingRows& rows, int selected)
{
    for (int row = selected + 1; row < rows.size(); ++row) {
        if (rows.at(row).isTimed())
            return row;
    }
    return -1;
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
