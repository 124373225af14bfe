#include "app/program.h"

#include "app/mainwindow.h"
#include "settings/datafiles.h"
#include "settings/drivelist.h"
#include "widgets/appicon.h"

#include <QApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QUrl>

namespace verselet {

namespace {

// Where the program found its data; QT_LOGGING_RULES=verselet.data.debug=true
// shows it.
Q_LOGGING_CATEGORY(lcData, "verselet.data", QtWarningMsg)

} // namespace

QString FileArgument(const QStringList& arguments)
{
    if (arguments.size() < 2 || arguments.at(1).isEmpty())
        return {};
    const QString given = arguments.at(1);
    const QUrl url(given);
    const QString path = url.isLocalFile() ? url.toLocalFile() : given;
    return QFileInfo(path).absoluteFilePath();
}

std::unique_ptr<MainWindow> StartVerselet(int* exitCode, const QString& file)
{
    QApplication::setApplicationName(QStringLiteral("verselet"));
    QApplication::setWindowIcon(AppIcon());
    qCDebug(lcData).noquote() << "help" << HelpFilePath();
    qCDebug(lcData).noquote() << "demo disc" << DemoDiscPath();
    auto window = std::make_unique<MainWindow>();
    if (!window->Form_Load(file)) {
        *exitCode = window->exitCode();
        return nullptr;
    }
    window->show();
    // Restored lyrics are unsaved work: the file from the command line asks
    // before it replaces them, as a dropped one does.
    if (!file.isEmpty())
        window->hasUnsavedEdits() ? window->openFromDesktop(file) : window->openFile(file);
    *exitCode = 0;
    return window;
}

} // namespace verselet
