#include "app/mainwindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("verselet"));
    verselet::MainWindow window;
    window.show();
    return app.exec();
}
