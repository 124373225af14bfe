#include "testdisplay/displaysearch.h"

#include "document/lyricsformat.h"

#include <algorithm>

namespace verselet {

DisplayStep NextDisplayLine(const QStringList& rows, int shownLineIndex, const QString& displayTag)
{
    const int count = int(rows.size());
    // "From the selected line" with no line selected starts before the first.
    int index = std::max(shownLineIndex, -1);
    while (index + 1 < count && !IsCountedTag(rows.at(index + 1)))
        ++index;
    const int next = index + 1;
    if (next >= count)
        return {std::nullopt, index};
    if (TagField(rows.at(next)) == displayTag)
        return {LineText(rows.at(next)), next};
    return {std::nullopt, index};
}

} // namespace verselet
