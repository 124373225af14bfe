#pragma once

#include "workfiles/workfiles.h"

namespace verselet {

// The state the windows of one run share. The flags are compared with 1; a
// flag nothing has set yet holds 0.
struct AppState
{
    // The work folder, under the cache folder + "/temp". Set once at start-up.
    WorkFolder Work;
    // Whether a real-time input has ended is what its windows return;
    // what plays belongs to the run (TimingRun).
};

} // namespace verselet
