#include "app/program.h"

#include "app/mainwindow.h"
#include "widgets/appicon.h"

#include <QApplication>

namespace verselet {

std::unique_ptr<MainWindow> StartVerselet(int* exitCode)
{
    QApplication::setApplicationName(QStringLiteral("verselet"));
    QApplication::setWindowIcon(AppIcon());
    auto window = std::make_unique<MainWindow>();
    if (!window->Form_Load()) {
        *exitCode = window->exitCode();
        return nullptr;
    }
    window->show();
    *exitCode = 0;
    return window;
}

} // namespace verselet
