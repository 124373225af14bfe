#pragma once

#include <QString>

#include <memory>

namespace verselet {

class MainWindow;

// What the program does between creating the application object and running
// its event loop: its names and icon, the main window's start-up, showing the
// window, and opening the file it was started with (as the open command
// would; "" for none). nullptr when the program must end instead; *exitCode
// then holds the code to end with.
std::unique_ptr<MainWindow> StartVerselet(int* exitCode, const QString& file = {});

// The file named on the command line: the one optional argument, a path or a
// file:// URL; "" when there is none.
QString FileArgument(const QStringList& arguments);

} // namespace verselet
