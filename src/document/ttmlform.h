#pragma once

// The times of TTML files, the form of the streaming players' timed lyrics
// (WriteTtml and ReadTtml in subtitles.h).

#include <QString>
#include <QStringView>

#include <optional>

namespace verselet {

// "HH:MM:SS.mmm", a clock time every TTML reader takes (a negative time
// is 0).
QString FormatTtmlTime(qint32 milliseconds);
// A TTML time in milliseconds: a clock time "h:mm:ss.fff", "mm:ss.fff" or
// "ss.fff" (the fraction may be left out; digits past the thousandth are
// dropped), or an offset "12.3s", "450ms", "2m", "1h"; none for anything
// else (frames and ticks among it).
std::optional<qint64> ParseTtmlTime(QStringView text);

} // namespace verselet
