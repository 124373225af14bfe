#include "shell/recoveryfile.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

RecoveryWriteError WriteError(const QString& folder, int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return {folder, RecoveryWriteProblem::NoSpace, {}};
    case EACCES:
    case EPERM:
        return {folder, RecoveryWriteProblem::NotAllowed, {}};
    case EROFS:
        return {folder, RecoveryWriteProblem::ReadOnly, {}};
    case ENOTDIR:
        return {folder, RecoveryWriteProblem::NotAFolder, {}};
    default:
        return {folder, RecoveryWriteProblem::Other, qt_error_string(error)};
    }
}

// Makes the folder, and those above it that are missing; 0, or the error of
// the step that failed. Only the folder itself is made owner-only.
int MakeFolder(const QByteArray& folder)
{
    for (qsizetype slash = folder.indexOf('/', 1);; slash = folder.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? folder : folder.first(slash);
        if (::mkdir(part.constData(), slash < 0 ? 0700 : 0777) != 0 && errno != EEXIST)
            return errno;
        if (slash < 0)
            break;
    }
    struct stat made = {};
    if (::stat(folder.constData(), &made) != 0)
        return errno;
    return S_ISDIR(made.st_mode) ? 0 : ENOTDIR;
}

// 0, or the error of the write or sync that failed.
int WriteWhole(int fd, const QByteArray& bytes)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const ssize_t wrote = ::write(fd, bytes.constData() + at, size_t(bytes.size() - at));
        if (wrote < 0 && errno != EINTR)
            return errno;
        at += wrote > 0 ? wrote : 0;
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

} // namespace

QString RecoveryFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           u"/verselet/recovery"_s;
}

QString RecoveryFilePath()
{
    return RecoveryFolder() + u"/lyrics.recovery"_s;
}

Result<void, RecoveryWriteError>
WriteRecoveryFile(const QString& path, const LyricsSnapshot& lyrics, const QDateTime& updated)
{
    const QString folder = QFileInfo(path).path();
    const QByteArray folderName = QFile::encodeName(folder);
    if (struct stat there = {};
        ::stat(folderName.constData(), &there) != 0 || !S_ISDIR(there.st_mode)) {
        if (const int error = MakeFolder(folderName))
            return WriteError(folder, error);
    }

    const QByteArray target = QFile::encodeName(path);
    QByteArray written = target + ".XXXXXX";
    const int fd = ::mkostemp(written.data(), O_CLOEXEC);
    if (fd < 0)
        return WriteError(folder, errno);
    int error = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0
                    ? WriteWhole(fd, FormatRecovery(lyrics, updated))
                    : errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    // rename() replaces what stands at the path, a link itself included.
    if (error == 0 && ::rename(written.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(written.constData());
        return WriteError(folder, error);
    }
    return {};
}

RecoveryFound ReadRecoveryFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return {};
    // Only a regular file of a sensible size is read; anything else standing
    // there (a link too: what it points to is no file of this program's) is
    // set aside like a damaged file.
    QFile file(path);
    if (info.isSymLink() || !info.isFile() || info.size() > 4 * kMaxUserTextBytes ||
        !file.open(QIODevice::ReadOnly))
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
