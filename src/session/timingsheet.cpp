#include "session/timingsheet.h"

#include <algorithm>

namespace verselet {

void TimingSheet::select(int row)
{
    m_place = {hasRow(row) ? row : -1, 0};
}

SheetPlace TimingSheet::nextSegment() const
{
    if (hasRow(selected())) {
        const TimingRow& line = m_rows.at(selected());
        if (line.canTakeStamp() && segment() < line.words().count())
            return m_place;
    }
    // The first segment of the next line to be timed.
    for (int row = selected() + 1; row < rowCount(); ++row) {
        if (m_rows.at(row).isTimed())
            return {row, 0};
    }
    return {-1, 0};
}

void SheetEdit::setRow(int row, TimingRow value)
{
    if (!m_touched.contains(row)) {
        m_touched.insert(row);
        m_rows.append({row, m_sheet.m_rows.at(row), {}});
    }
    m_sheet.m_rows[row] = std::move(value);
}

void SheetEdit::setWords(int row, const LineWords& words)
{
    TimingRow line = m_sheet.row(row);
    line.setWords(words);
    setRow(row, std::move(line));
}

EditStep SheetEdit::finish() const
{
    EditStep step{{}, m_before, m_sheet.place()};
    for (const RowEdit& edit : m_rows) {
        const TimingRow& now = m_sheet.row(edit.row);
        if (now != edit.before)
            step.rows.append({edit.row, edit.before, now});
    }
    std::sort(step.rows.begin(), step.rows.end(),
              [](const RowEdit& a, const RowEdit& b) { return a.row < b.row; });
    return step;
}

} // namespace verselet
