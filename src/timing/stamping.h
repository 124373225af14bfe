#pragma once

// Stamping and moving through the timing list as functions of the rows and
// the selected row (-1 for none); the timing window only applies the result.
// A row is to be timed when it begins with "[", and takes a stamp when its
// seventh character is "]" as well.

#include <QString>
#include <QStringList>

namespace verselet {

bool IsTimedRow(const QString& row);
bool CanTakeStamp(const QString& row);

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

// Set: moves to the next row to be timed, passing over the others, and
// stamps it with `stamp` when it can take one. Changes the row in `rows`.
SetStep PressSet(QStringList& rows, int selected, const QString& stamp);

struct NextStep
{
    int selected = -1;
    // The row moved to can take a stamp: show its tag field and text.
    bool showRow = false;
};

// Next: moves to the next row to be timed without changing any; from the last
// row it wraps to row 0 and shows nothing new. Nothing to select in an empty
// list.
NextStep PressNext(const QStringList& rows, int selected);

// A tag typed into the edit field: applies once its seventh character is "]"
// and the row is to be timed; the row then becomes the field's text and its
// own text from the eighth character on.
bool ApplyDirectEdit(QString& row, const QString& editText);

} // namespace verselet
