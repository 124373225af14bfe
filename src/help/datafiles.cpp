#include "help/datafiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

const QString kHelpDocument = u"help/index.html"_s;

} // namespace

QStringList DataFileCandidates(const QString& relative, const QString& appDir)
{
    return {
        QDir::cleanPath(appDir + u"/data/"_s + relative),
        QDir::cleanPath(appDir + u"/../share/verselet/"_s + relative),
        QDir::cleanPath(QStringLiteral(VERSELET_BUILD_DATA_DIR) + u'/' + relative),
    };
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
    return FindDataFile(kHelpDocument, appDir);
}

QString HelpFilePath()
{
    return FindDataFile(kHelpDocument);
}

} // namespace verselet
