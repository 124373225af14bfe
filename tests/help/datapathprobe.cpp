// Prints where the program would find its data, from wherever this probe is
// put: the help document on the first line, the demo disc on the second. The
// install test copies it into an installed bin folder and runs it there.

#include "settings/datafiles.h"
#include "settings/drivelist.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("%s\n%s\n", qUtf8Printable(verselet::HelpFilePath()),
                qUtf8Printable(verselet::DemoDiscPath()));
    return 0;
}
