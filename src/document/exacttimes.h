#pragma once

// Exact times beside the tags: milliseconds from the start of the track, one
// per tag-file line (and per timing-list row), none where a line has only
// its [mm:ss] tag. They live in memory only; the tag file stays as it was.

#include <QList>
#include <QtGlobal>

#include <optional>

namespace verselet {

using ExactTime = std::optional<qint32>;
using ExactTimes = QList<ExactTime>;

} // namespace verselet
