#pragma once

#include "cd/disc.h"

namespace verselet {

// A CD in a drive (/dev/sr0) or a disc image libcdio knows: a .cue sheet of
// BINARY tracks, a cdrdao .toc, a Nero .nrg. The table of contents gives the
// tracks; the audio is read through cd-paranoia. nullptr when libcdio cannot
// open it or it holds no track.
std::unique_ptr<Disc> OpenCdioDisc(const QString& name);

} // namespace verselet
