#pragma once

// Rows of a timing list with the exact times a test gives them, row for row
// (missing ones are none).

#include "document/timingrow.h"

#include <QStringList>

inline verselet::TimingRows TimedRows(const QStringList& rows,
                                      const verselet::ExactTimes& exactTimes)
{
    verselet::TimingRows timed;
    timed.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        timed.append(verselet::TimingRow::fromListRow(rows.at(i), exactTimes.value(i)));
    return timed;
}
