// Writes the program's icon as PNG files, one for each size asked for:
//   makeicon <size> <file.png> [<size> <file.png> ...]
// The icon is drawn by the program's own code, so the installed icon and the
// one on its windows are the same picture.

#include "widgets/appicon.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char* argv[])
{
    // No display is needed to draw into a pixmap.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.size() % 2 != 0) {
        std::fprintf(stderr, "usage: makeicon <size> <file.png> [<size> <file.png> ...]\n");
        return 2;
    }
    for (qsizetype i = 0; i < args.size(); i += 2) {
        bool ok = false;
        const int size = args.at(i).toInt(&ok);
        const QString path = args.at(i + 1);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "makeicon: not a size: %s\n", qPrintable(args.at(i)));
            return 2;
        }
        QDir().mkpath(QFileInfo(path).path());
        if (!verselet::AppIconPixmap(size).save(path, "PNG")) {
            std::fprintf(stderr, "makeicon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
