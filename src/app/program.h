#pragma once

#include <memory>

namespace verselet {

class MainWindow;

// What the program does between creating the application object and running
// its event loop: its names and icon, the main window's start-up, showing the
// window. nullptr when the program must end instead; *exitCode then holds the
// code to end with.
std::unique_ptr<MainWindow> StartVerselet(int* exitCode);

} // namespace verselet
