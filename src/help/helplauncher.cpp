#include "help/helplauncher.h"

#include "widgets/messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

struct HelpLauncher
{
    Q_DECLARE_TR_FUNCTIONS(HelpLauncher)
};

int LaunchResult(const QString& path, const UrlLauncher& launch)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.dir().exists())
        return kHelpPathNotFound;
    if (!file.isFile())
        return kHelpFileNotFound;
    const QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    const bool opened = launch ? launch(url) : DesktopUrlLauncher()(url);
    return opened ? kHelpOpened : kHelpLaunchFailed;
}

} // namespace

UrlLauncher DesktopUrlLauncher()
{
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

QString HelpFailureText(int result)
{
    if (result > 32)
        return {};
    if (result == 0)
        return HelpLauncher::tr("メモリ不足です。");
    // The message names the help file by the program's name, whatever the
    // document on disk is called.
    if (result == kHelpFileNotFound || result == kHelpPathNotFound)
        return HelpLauncher::tr("Verselet.hlp が見つかりません。");
    return HelpLauncher::tr("%1エラー").arg(result);
}

int OpenHelpFile(QWidget* owner, const QString& path, const UrlLauncher& launch)
{
    const int result = LaunchResult(path, launch);
    if (result <= 32)
        ShowMessage(owner, HelpFailureText(result), QMessageBox::Critical);
    return result;
}

} // namespace verselet
