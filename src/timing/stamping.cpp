#include "timing/stamping.h"

#include "document/lyricsformat.h"

namespace verselet {

bool IsTimedRow(const QString& row) { return row.startsWith(u'['); }

bool CanTakeStamp(const QString& row)
{
    return IsTimedRow(row) && row.size() >= kTagFieldLength && row.at(kTagFieldLength - 1) == u']';
}

SetStep PressSet(QStringList& rows, int selected, const QString& stamp)
{
    const int count = int(rows.size());
    for (;;) {
        if (selected + 1 >= count)
            return {selected, true};
        ++selected;
        if (!IsTimedRow(rows.at(selected)))
            continue;
        if (!CanTakeStamp(rows.at(selected)))
            return {selected, false, false};
        rows[selected] = stamp + LineText(rows.at(selected));
        return {selected, false, true};
    }
}

NextStep PressNext(const QStringList& rows, int selected)
{
    const int count = int(rows.size());
    if (count == 0)
        return {selected, false};
    for (;;) {
        if (selected + 1 >= count)
            return {0, false};
        ++selected;
        if (!IsTimedRow(rows.at(selected)))
            continue;
        return {selected, CanTakeStamp(rows.at(selected))};
    }
}

bool ApplyDirectEdit(QString& row, const QString& editText)
{
    if (!IsTimedRow(row) || editText.size() < kTagFieldLength ||
        editText.at(kTagFieldLength - 1) != u']')
        return false;
    row = editText + LineText(row);
    return true;
}

} // namespace verselet
