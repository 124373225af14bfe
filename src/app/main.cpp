#include "app/mainwindow.h"
#include "app/program.h"
#include "settings/uilanguage.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    verselet::SetUiLanguage(verselet::SystemUiLanguage());
    int exitCode = 0;
    const auto window =
        verselet::StartVerselet(&exitCode, verselet::FileArgument(QApplication::arguments()));
    if (!window)
        return exitCode;
    return QApplication::exec();
}
