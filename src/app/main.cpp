#include "app/appicon.h"
#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("verselet"));
    QApplication::setWindowIcon(verselet::AppIcon());

    verselet::MainWindow window;
    if (!window.Form_Load())
        return window.exitCode();
    window.show();
    return QApplication::exec();
}
