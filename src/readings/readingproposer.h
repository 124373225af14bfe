#pragma once

// What proposes the readings of a line's kanji, for the user to keep or
// change: the timing code asks it line by line and says why when it cannot.

#include "document/readings.h"

#include <QString>
#include <QStringView>

namespace verselet {

class ReadingProposer
{
public:
    virtual ~ReadingProposer() = default;
    // The readings of every run of kanji in the line this can read (offsets
    // into `line`, UTF-16), each split one mora each by default. Empty when
    // it cannot read the line or is unavailable.
    virtual Readings propose(QStringView line) = 0;
    // Empty while it works; otherwise why no readings are proposed, in plain
    // words for the user (which packages to install, for one).
    virtual QString unavailableReason() = 0;
};

} // namespace verselet
