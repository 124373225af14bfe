#pragma once

// How late the user presses a key on a sound they hear. A click track plays
// clicks at irregular times, so that the user reacts to each one instead of
// tapping along; each press is matched to its click, and the typical lag is
// the median of press minus click. The lag is kept in calibration.dat beside
// config.dat: one line, the milliseconds in ASCII, CR LF.

#include "audio/disc.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace verselet {

inline constexpr int kCalibrationClicks = 16;
// Time to get ready before the first click.
inline constexpr qint32 kCalibrationLeadInMs = 1500;
// Gaps between clicks are drawn from this range, whole milliseconds.
inline constexpr qint32 kCalibrationMinGapMs = 800;
inline constexpr qint32 kCalibrationMaxGapMs = 1400;
// Silence after the last click, longer than a press may be late.
inline constexpr qint32 kCalibrationTailMs = 1000;
// A press further than this from every click answers none of them.
inline constexpr qint32 kCalibrationMatchMs = 350;
// Fewer matched presses than this give no result.
inline constexpr int kCalibrationMinPresses = 8;
// The offset the program keeps lies in -500..+500 ms.
inline constexpr qint32 kCalibrationLimitMs = 500;

// The times of the clicks, in milliseconds from the start of the click track:
// the first after the lead-in, then kCalibrationClicks - 1 more at gaps drawn
// from the seeded generator. The same seed gives the same times.
QList<qint32> CalibrationClickTimes(quint32 seed);

// Frames in one click's burst (25 ms).
inline constexpr qint64 kClickFrames = kFrameRate / 40;

// One audio track (CD frames, 16-bit stereo) that is silent except for a short
// decaying burst at each click. A burst's first frame is MsToFrames(click) and
// is never zero; the track ends kCalibrationTailMs after the last click.
std::shared_ptr<const Disc> MakeClickTrack(const QList<qint32>& clickTimesMs);

struct CalibrationResult
{
    qint32 lagMs = 0;    // median of press - click: positive when late
    qint32 spreadMs = 0; // median absolute deviation from that median
    friend bool operator==(const CalibrationResult&, const CalibrationResult&) = default;
};

// Matches presses to clicks, both in milliseconds on the click track's clock,
// and gives the lag (press - click: positive when late) of each click that
// was answered, in the order of the clicks. Each press goes to the nearest
// click (the earlier one of two equally near); a press more than
// kCalibrationMatchMs from every click is a stray and is dropped. Of several
// presses on one click only the earliest counts: the later ones are a key
// pressed twice, not a second reaction.
QList<qint32> MatchPresses(const QList<qint32>& clickTimesMs, const QList<qint32>& pressTimesMs);

// The median of the lags and their median absolute deviation from it, each
// rounded to whole milliseconds, halves away from zero. Fewer than
// kCalibrationMinPresses lags give no result.
std::optional<CalibrationResult> SummarizeLags(const QList<qint32>& lagsMs);

// "補正 +132 ms (±18)": the sign is always written, "+0" for no lag.
QString CalibrationText(const CalibrationResult& result);

// ConfigFolder() (settings/driveconfig) + "/calibration.dat".
QString CalibrationPath();

// The file's bytes: the offset, clamped to -500..+500, in ASCII digits with
// a leading minus sign when negative, then CR LF. 132 is "132\r\n".
QByteArray CalibrationBytes(qint32 offsetMs);
// The offset the file's bytes hold. The first line, blanks around it ignored,
// must be an optional sign and decimal digits; anything else is no offset
// (0). A value outside -500..+500 is not clamped but read as 0 as well: the
// window never writes one, so the file is not what it should be, and no
// correction is safer than a wrong one.
qint32 CalibrationFromBytes(const QByteArray& bytes);

// The offset in the file at path (CalibrationPath() by default); 0 when there
// is no such file or it cannot be read.
qint32 ReadCalibration(const QString& path);
qint32 ReadCalibration();

// Replaces the file whole, creating its folder when needed: when it cannot be
// written, the old file stays as it was. Returns whether it was written.
bool WriteCalibration(const QString& path, qint32 offsetMs);
bool WriteCalibration(qint32 offsetMs);

} // namespace verselet
