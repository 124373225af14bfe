#pragma once

#include <QString>
#include <QtGlobal>

namespace verselet {

// The state the windows of one run share. The flags are compared with 1; a
// flag nothing has set yet holds 0.
struct AppState
{
    // The folder above the work folder: the cache folder + "/temp". Set once
    // at start-up.
    QString TempRoot;
    // Whether a real-time input has ended is what its windows return;
    // PlayingFlag and EditGuard belong to the run (TimingSession).
};

} // namespace verselet
