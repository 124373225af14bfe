#pragma once

// Exact times beside the tags: milliseconds from the start of the track, one
// per tag-file line (and per timing-list row), none where a line has only
// its [mm:ss] tag. They live in memory only; the tag file stays as it was.

#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <limits>
#include <optional>

namespace verselet {

using ExactTime = std::optional<qint32>;
using ExactTimes = QList<ExactTime>;

// A time worked out in a wider type, brought back into what a position can
// be: not below 0, not past the largest 32-bit count of milliseconds.
inline qint32 ClampToPosition(qint64 milliseconds)
{
    return qint32(std::clamp<qint64>(milliseconds, 0, std::numeric_limits<qint32>::max()));
}

} // namespace verselet
