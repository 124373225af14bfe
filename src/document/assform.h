#pragma once

// The times of Advanced SubStation Alpha files, the form of karaoke
// subtitles with \k tags (WriteAss and ReadAss in subtitles.h): "H:MM:SS.cc",
// in hundredths.

#include <QString>
#include <QStringView>

#include <optional>

namespace verselet {

// A time in hundredths, rounded to the nearest: every \k written is the
// difference of two rounded times, so a line's tags add up to its length.
qint64 AssCentiseconds(qint32 milliseconds);
// "H:MM:SS.cc" of a time in hundredths (a negative one is 0).
QString FormatAssTime(qint64 centiseconds);
// "H:MM:SS.cc" as the file gives it (hours of any digits, minutes and
// seconds of one or two, below 60, one to three digits after the dot), in
// milliseconds; none for anything else.
std::optional<qint64> ParseAssTime(QStringView text);

} // namespace verselet
