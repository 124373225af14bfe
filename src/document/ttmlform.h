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
// What a document counts frames and ticks in: its root's ttp:frameRate
// (times ttp:frameRateMultiplier) and ttp:tickRate, or TTML's defaults —
// 30 frames a second, and as many ticks as frames times sub-frames when a
// frame rate is given, else one.
struct TtmlRates
{
    double framesPerSecond = 30;
    qint64 ticksPerSecond = 1;
};
// A TTML time in milliseconds: a clock time "h:mm:ss.fff", "mm:ss.fff" or
// "ss.fff" (the fraction may be left out; digits past the thousandth are
// dropped), one with frames "hh:mm:ss:ff" (sub-frames dropped), or an offset
// "12.3s", "450ms", "2m", "1h", "25f", "10000000t"; none for anything else.
std::optional<qint64> ParseTtmlTime(QStringView text, const TtmlRates& rates = {});

} // namespace verselet
