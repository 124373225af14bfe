#pragma once

// Opens the help document with the program the desktop associates with it,
// and tells the user when that fails.
//
// The outcome is a result number: above 32 the viewer is open; 2 (no such
// file) and 3 (no such folder) say the document is missing; 31 says the
// desktop could not open it; 0 would be a lack of memory.

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace verselet {

inline constexpr int kHelpOpened = 33;
inline constexpr int kHelpFileNotFound = 2;
inline constexpr int kHelpPathNotFound = 3;
inline constexpr int kHelpLaunchFailed = 31;

// Hands a document's URL to the desktop; false when nothing could open it.
// QDesktopServices::openUrl unless a test puts its own in place.
using UrlLauncher = std::function<bool(const QUrl&)>;
UrlLauncher DesktopUrlLauncher();

// The message for a result number: empty above 32.
QString HelpFailureText(int result);

// Opens the file at `path` through `launch` (the desktop's when empty) and
// returns the result number. A failure is shown in a message box with the stop
// icon, once, over `owner`; the call returns when the user has confirmed it.
int OpenHelpFile(QWidget* owner, const QString& path, const UrlLauncher& launch = {});

} // namespace verselet
