#include "settings/datafiles.h"

#include "settings/uilanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

const QString kHelpDocument = u"help/index.html"_s;
const QString kEnglishHelpDocument = u"help/index.en.html"_s;

const QString& helpDocument()
{
    return CurrentUiLanguage() == UiLanguage::English ? kEnglishHelpDocument : kHelpDocument;
}

} // namespace

bool IsInBuildTree(const QString& appDir)
{
    const QString build = QDir::cleanPath(QStringLiteral(VERSELET_BUILD_DIR));
    const QString dir = QDir::cleanPath(QDir(appDir).absolutePath());
    return dir == build || dir.startsWith(build + u'/');
}

QStringList DataFileCandidates(const QString& relative, const QString& appDir)
{
    QStringList candidates{
        QDir::cleanPath(appDir + u"/data/"_s + relative),
        QDir::cleanPath(appDir + u"/../share/verselet/"_s + relative),
    };
    // The build tree may be gone, or belong to someone else, by the time an
    // installed copy runs: only programs that still live in it look there.
    if (IsInBuildTree(appDir))
        candidates.append(
            QDir::cleanPath(QStringLiteral(VERSELET_BUILD_DIR) + u"/data/"_s + relative));
    return candidates;
}

QString FindDataFile(const QString& relative, const QString& appDir)
{
    const QStringList candidates = DataFileCandidates(relative, appDir);
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return candidates.constFirst();
}

QString FindDataFile(const QString& relative)
{
    return FindDataFile(relative, QCoreApplication::applicationDirPath());
}

QString HelpFilePath(const QString& appDir)
{
    return FindDataFile(helpDocument(), appDir);
}

QString HelpFilePath()
{
    return FindDataFile(helpDocument());
}

} // namespace verselet
