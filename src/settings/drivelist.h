#pragma once

// The places the CD-audio device can play from, in the order the drive dialog
// lists them: the CD drives of the machine, the discs the user added, and the
// demo disc that comes with the program. Each entry is the name the device
// takes as its FileName: a device path, a folder of audio files, or the path
// of a cue sheet or a TOC or NRG image.

#include "settings/driveconfig.h"

#include <QString>
#include <QStringList>

namespace verselet {

// The CD drives libcdio finds, as device paths (/dev/sr0, ...), sorted. Empty
// on a machine without drives.
QStringList ListCdDrives();

// ConfigFolder() + "/discs.txt": the added discs, one path per line, UTF-8.
QString VirtualDiscsPath();

// The added discs in the order they were added. A missing file holds none;
// blank lines are not discs.
QStringList ReadVirtualDiscs();

// Appends a disc to discs.txt, creating the folder when needed. A path that is
// listed already is not added again (and that counts as success). A path with
// a line break in it cannot be kept one to a line and is refused. The file is
// replaced whole, so a failed write leaves the old list as it was.
bool AddVirtualDisc(const QString& path);

// The demo disc's cue sheet, found as every data file is (FindDataFile):
// beside the executable in a build tree, in the installed data folder, or in
// the build tree the program was built in. The first of these that exists;
// the first candidate when none does.
QString DemoDiscPath();
// The same for a program whose executable lies in `appDir`.
QString DemoDiscPath(const QString& appDir);

// The drive dialog's list: the CD drives, then the added discs, then the demo
// disc, always last. An added disc that names a drive or the demo disc is not
// listed a second time.
QStringList DriveListEntries();

// The entry config.dat chooses in that list, as the drive dialog would select
// it when it is created; "" when it chooses none.
QString ChosenDriveName();

} // namespace verselet
