#include "app/mainwindow.h"

namespace verselet {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Verselet - 新規作成.txt"));
    resize(550, 400);
}

} // namespace verselet
