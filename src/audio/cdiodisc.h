#pragma once

#include "audio/disc.h"

#include <QStringList>

namespace verselet {

// A CD in a drive (/dev/sr0) or a disc image libcdio knows: a .cue sheet of
// BINARY tracks, a cdrdao .toc, a Nero .nrg. The table of contents gives the
// tracks; the audio is read through cd-paranoia. nullptr when libcdio cannot
// open it or it holds no track.
// Drives are read through cd-paranoia, image files directly; `paranoia`
// reads an image through cd-paranoia as well.
std::unique_ptr<Disc> OpenCdioDisc(const QString& name, bool paranoia = false);

// What an image is made of: the name itself, then the files a .cue sheet's
// FILE lines or a .toc's data file lines name (an .nrg is one file). Files
// that are missing are listed too.
QStringList ImageFiles(const QString& name);

} // namespace verselet
