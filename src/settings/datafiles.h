#pragma once

// Where the program finds the files it brings along (the help document, the
// demo disc): beside the executable in a build tree, in the installed data
// folder, or in the build tree the program was built in. One rule for all of
// them, so that what the build makes and what `cmake --install` puts in place
// are found the same way.

#include <QString>
#include <QStringList>

namespace verselet {

// The places looked at for a data file, in order, for a program whose
// executable lies in `appDir`:
//   appDir/data/<relative>                       (build tree)
//   appDir/../share/verselet/<relative>          (installed: <prefix>/bin)
//   <the build tree's data folder>/<relative>    (tests and tools in its subfolders;
//                                                 only for a program inside that tree)
QStringList DataFileCandidates(const QString& relative, const QString& appDir);

// True when `appDir` is the tree this program was built in, or a folder in it.
bool IsInBuildTree(const QString& appDir);

// The first candidate that exists; the first candidate when none does, so a
// message can name the place where the file belongs.
QString FindDataFile(const QString& relative, const QString& appDir);
// The same for the running program (QCoreApplication::applicationDirPath()).
QString FindDataFile(const QString& relative);

// The help document, an HTML page in the language of the windows.
QString HelpFilePath(const QString& appDir);
QString HelpFilePath();

} // namespace verselet
