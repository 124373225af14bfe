#pragma once

// The rows of a timing run as one value: each line with its tag, its time and
// its words (the segments, their times, the end), the selected line and,
// timed word by word, the segment of it the next stamp goes to. The timing
// list builds it; the run changes it, the window shows it, and the finish
// dialog, the document and the LRC writer take its rows.
//
// A change is made through a SheetEdit, which keeps each row it touches as
// it was: what it gives back is the step the edit history stores.

#include "document/timingrow.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace verselet {

// Where the run stands in the sheet: the selected row (-1 for none) and the
// segment of it that is stamped next.
struct SheetPlace
{
    int row = -1;
    int segment = 0;
    friend bool operator==(const SheetPlace&, const SheetPlace&) = default;
};

class TimingSheet final
{
public:
    TimingSheet() = default;
    explicit TimingSheet(TimingRows rows) : m_rows(std::move(rows)) {}

    const TimingRows& rows() const { return m_rows; }
    const TimingRow& row(int row) const { return m_rows.at(row); }
    int rowCount() const { return int(m_rows.size()); }
    bool hasRow(int row) const { return row >= 0 && row < rowCount(); }
    // Each row as the list shows it: the tag, then the text.
    QStringList listRows() const { return ListRows(m_rows); }

    const SheetPlace& place() const { return m_place; }
    int selected() const { return m_place.row; }
    // The segment of the selected line stamped next.
    int segment() const { return m_place.segment; }
    // A row out of the list selects none; the line starts from its first
    // segment.
    void select(int row);
    void setSegment(int segment) { m_place.segment = std::max(segment, 0); }
    void setPlace(const SheetPlace& place) { m_place = place; }

    // The segment that is stamped next in word mode: the selected line's next
    // one; after its last one (or with no line selected) the first segment of
    // the next line to be timed. Row -1 when the run would end.
    SheetPlace nextSegment() const;

private:
    friend class SheetEdit;
    TimingRows m_rows;
    SheetPlace m_place;
};

// One row changed by a step, as it was and as it became.
struct RowEdit
{
    int row = -1;
    TimingRow before;
    TimingRow after;
};

// What one act changed: the rows it changed and where the run stood before
// and after it.
struct EditStep
{
    QList<RowEdit> rows;
    SheetPlace before;
    SheetPlace after;
    bool changesRows() const { return !rows.isEmpty(); }
};

// A change of the sheet under way: rows set through it are kept as they were
// when first touched; finish() gives the step, leaving out rows that came
// back to what they were.
class SheetEdit final
{
public:
    explicit SheetEdit(TimingSheet& sheet) : m_sheet(sheet), m_before(sheet.place()) {}

    const TimingSheet& sheet() const { return m_sheet; }
    const TimingRow& row(int row) const { return m_sheet.row(row); }
    void setRow(int row, TimingRow value);
    // The row's tag and exact time become this time; its words move with it.
    void retime(int row, qint32 milliseconds)
    {
        setRow(row, m_sheet.row(row).retimed(milliseconds));
    }
    // The row takes these words (and, from the first, its time).
    void setWords(int row, const LineWords& words);
    void select(int row) { m_sheet.select(row); }
    void setSegment(int segment) { m_sheet.setSegment(segment); }

    EditStep finish() const;

private:
    TimingSheet& m_sheet;
    SheetPlace m_before;
    QList<RowEdit> m_rows;
    // The rows m_rows holds.
    QSet<int> m_touched;
};

} // namespace verselet
