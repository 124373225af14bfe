#include "shell/recoveryfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace verselet {

using namespace Qt::StringLiterals;

QString RecoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           u"/verselet/recovery"_s;
}

QString RecoveryFilePath()
{
    return RecoveryFolder() + u"/lyrics.recovery"_s;
}

Result<void, FileError> WriteRecoveryFile(const QString& path, const LyricsSnapshot& lyrics,
                                          const QDateTime& updated)
{
    const QString folder = QFileInfo(path).path();
    if (!QFileInfo(folder).isDir()) {
        if (!QDir().mkpath(folder))
            return FileError{FileErrorKind::Unwritable, path};
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
    }
    return ReplaceUserFile(path, FormatRecovery(lyrics, updated));
}

RecoveryFound ReadRecoveryFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    // Only a regular file of a sensible size is read; anything else standing
    // there is set aside like a damaged file.
    QFile file(path);
    if (!info.isFile() || info.size() > 4 * kMaxUserTextBytes || !file.open(QIODevice::ReadOnly))
        return {RecoveryFound::Damaged, {}};
    auto parsed = ParseRecovery(file.readAll());
    if (!parsed)
        return {RecoveryFound::Damaged, {}};
    return {RecoveryFound::Readable, std::move(parsed).value()};
}

QString SetRecoveryFileAside(const QString& path, const QDateTime& now)
{
    const QString aside = path + u".damaged-"_s + now.toString(u"yyyyMMdd-HHmmss"_s);
    QString target = aside;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = aside + u'-' + QString::number(n);
    return QFile::rename(path, target) ? target : QString();
}

} // namespace verselet
