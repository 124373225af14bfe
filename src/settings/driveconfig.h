#pragma once

// config.dat: the position of the chosen drive in the drive dialog's list, kept
// between runs. The file holds one line: a blank where a plus sign would stand
// (a minus sign when negative), the digits, a blank, CR LF. Index 1 is the five
// bytes 20 31 20 0D 0A, no selection (-1) is 2D 31 20 0D 0A.

#include <QByteArray>
#include <QString>

namespace verselet {

// $XDG_CONFIG_HOME/verselet: where the drive choice, the added discs and the
// calibration are kept. The program's own folder is not writable once
// installed.
QString ConfigFolder();
// ConfigFolder() + "/config.dat": the position of the chosen drive in the list.
QString DriveConfigPath();

// The file's bytes for this index.
QByteArray DriveConfigBytes(qint16 index);

// The index to select in a list of entryCount entries, given the file's bytes.
// The first field of the first line (leading blanks skipped, up to a comma or
// the line end) is read as a lenient number and rounded half to even. No file,
// an empty file, a value outside -32768..32767 and an index that is neither -1
// nor an entry of the list all select entry 0; -1 selects nothing. An empty
// list never has a selection: -1.
qint16 DriveIndexFromConfig(const QByteArray& fileBytes, bool fileExists, int entryCount);

// DriveIndexFromConfig on the file at path (DriveConfigPath() by default). A
// file that cannot be read counts as no file.
qint16 ReadDriveConfig(const QString& path, int entryCount);
qint16 ReadDriveConfig(int entryCount);

// Replaces the file with the index line, creating its folder when needed.
// Nobody is told about a failure, but the file is replaced whole: when it
// cannot be written, the old file stays as it was. Returns whether it was
// written.
bool WriteDriveConfig(const QString& path, qint16 index);
bool WriteDriveConfig(qint16 index);

} // namespace verselet
