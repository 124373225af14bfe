#include "audio/mediumwatch.h"

#include "audio/cdiolog.h"

#include <QFile>

#include <cdio/cdio.h>

#include <sys/stat.h>

namespace verselet {

namespace {

struct CdioDeleter
{
    void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioDeleter>;

class DriveWatch final : public MediumWatch
{
public:
    explicit DriveWatch(QString device) : m_device(std::move(device)), m_answered(ask() >= 0) {}

    bool changed() override
    {
        const int answer = ask();
        if ((answer >= 0) != m_answered)
            return true;
        return answer == 1;
    }

private:
    // 1: the disc changed since the drive was last asked; 0: it did not;
    // negative: the drive cannot be opened or cannot tell. The flag belongs
    // to the drive, not to one open handle, so a handle of its own for each
    // question does; the drive is opened without waiting for a disc and
    // without locking its tray.
    int ask() const
    {
        InstallCdioLogHandler();
        const CdioPtr cdio(cdio_open(QFile::encodeName(m_device).constData(), DRIVER_DEVICE));
        return cdio ? cdio_get_media_changed(cdio.get()) : -1;
    }

    QString m_device;
    bool m_answered;
};

struct FileState
{
    QString path;
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    friend bool operator==(const FileState&, const FileState&) = default;
};

class FilesWatch final : public MediumWatch
{
public:
    explicit FilesWatch(std::function<QStringList()> list)
        : m_list(std::move(list)), m_states(states())
    {
    }

    bool changed() override { return states() != m_states; }

private:
    QList<FileState> states() const
    {
        QList<FileState> result;
        for (const QString& path : m_list()) {
            FileState state{path};
            struct stat st
            {
            };
            if (!path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0) {
                state.exists = true;
                state.size = st.st_size;
                state.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
            }
            result.append(state);
        }
        return result;
    }

    std::function<QStringList()> m_list;
    QList<FileState> m_states;
};

} // namespace

std::unique_ptr<MediumWatch> WatchDrive(const QString& device)
{
    return std::make_unique<DriveWatch>(device);
}

std::unique_ptr<MediumWatch> WatchFiles(std::function<QStringList()> list)
{
    return std::make_unique<FilesWatch>(std::move(list));
}

} // namespace verselet
