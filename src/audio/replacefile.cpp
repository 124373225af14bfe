#include "audio/replacefile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace verselet {

namespace {

QString SystemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool WriteAll(int fd, std::span<const char> bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes = bytes.subspan(size_t(written));
    }
    return true;
}

// The hidden file beside the original; removed when it goes unless it has
// been renamed into the original's place.
class HiddenCopy final
{
public:
    explicit HiddenCopy(const QString& folder)
        : m_name(QFile::encodeName(folder + u"/.verselet-XXXXXX"_s))
    {
        m_fd = ::mkostemp(m_name.data(), O_CLOEXEC);
        m_created = m_fd >= 0;
    }
    ~HiddenCopy()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_created && !m_renamed)
            ::unlink(m_name.constData());
    }
    HiddenCopy(const HiddenCopy&) = delete;
    HiddenCopy& operator=(const HiddenCopy&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    bool closeFile()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }
    bool renameOver(const QByteArray& target)
    {
        m_renamed = ::rename(m_name.constData(), target.constData()) == 0;
        return m_renamed;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
    bool m_created = false;
    bool m_renamed = false;
};

void SyncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString ReplaceFileContents(const QString& path, std::span<const char> bytes)
{
    const QByteArray target = QFile::encodeName(path);
    struct stat original
    {
    };
    if (::stat(target.constData(), &original) != 0)
        return u"cannot read %1: %2"_s.arg(path, SystemReason());
    const QString folder = QFileInfo(path).absolutePath();
    HiddenCopy copy(folder);
    if (!copy.isOpen())
        return u"cannot create a file in %1: %2"_s.arg(folder, SystemReason());
    if (!WriteAll(copy.fd(), bytes))
        return u"cannot write a copy of %1: %2"_s.arg(path, SystemReason());
    if (::fsync(copy.fd()) != 0)
        return u"cannot flush a copy of %1: %2"_s.arg(path, SystemReason());
    // The owner first: giving a file away clears its set-user-ID bits, which
    // the mode then restores. Only root may give a file to another user, so a
    // refusal here leaves the copy this user's own.
    if (::fchown(copy.fd(), original.st_uid, original.st_gid) != 0)
        (void)::fchown(copy.fd(), uid_t(-1), original.st_gid);
    if (::fchmod(copy.fd(), original.st_mode & 07777) != 0)
        return u"cannot give a copy of %1 its permissions: %2"_s.arg(path, SystemReason());
    if (!copy.closeFile())
        return u"cannot write a copy of %1: %2"_s.arg(path, SystemReason());
    if (!copy.renameOver(target))
        return u"cannot replace %1: %2"_s.arg(path, SystemReason());
    SyncFolder(QFile::encodeName(folder));
    return {};
}

} // namespace verselet
