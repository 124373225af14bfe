#include "session/displaysearch.h"

#include <algorithm>

namespace verselet {

DisplayStep NextDisplayLine(const TimingRows& rows, int shownLineIndex, ExactTime playTime)
{
    const int count = int(rows.size());
    // "From the selected line" with no line selected starts before the first.
    int index = std::max(shownLineIndex, -1);
    while (index + 1 < count && !rows.at(index + 1).isTimed())
        ++index;
    const int next = index + 1;
    if (next >= count)
        return {std::nullopt, index};
    const ExactTime time = rows.at(next).time();
    if (time && playTime && *time / 1000 * 1000 == *playTime)
        return {rows.at(next).text(), next};
    return {std::nullopt, index};
}

} // namespace verselet
