#pragma once

// The speeds the timing window plays at, in percent of the song's own, and
// the one the user last chose, kept in the program's settings
// (ConfigFolder() + "/settings.ini", key timing/speed) rather than in
// config.dat, whose bytes stay as they are.

#include <QList>

namespace verselet {

inline const QList<int> kSpeedSteps{50, 60, 70, 75, 80, 90, 100};
inline constexpr int kFullSpeed = 100;

// The speed last chosen; full speed when none was, or when what is kept is
// not one of the steps.
int LoadPlaybackSpeed();
// False when the settings could not be written.
bool SavePlaybackSpeed(int percent);

// The step `steps` away from `percent` (negative: slower), held at the ends.
int StepPlaybackSpeed(int percent, int steps);

} // namespace verselet
