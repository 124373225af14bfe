#include "settings/drivelist.h"

#include "audio/cdiolog.h"
#include "settings/datafiles.h"
#include "settings/driveconfig.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cdio/cdio.h>

#include <memory>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

struct DeviceListDeleter
{
    void operator()(char** list) const { cdio_free_device_list(list); }
};

const QString kDemoDiscPath = u"demo/verselet-demo.cue"_s;

} // namespace

QStringList ListCdDrives()
{
    InstallCdioLogHandler();
    QStringList drives;
    const std::unique_ptr<char*, DeviceListDeleter> devices(cdio_get_devices(DRIVER_DEVICE));
    if (!devices)
        return drives;
    for (char** device = devices.get(); *device; ++device)
        drives.append(QFile::decodeName(*device));
    drives.sort();
    drives.removeDuplicates();
    return drives;
}

QString VirtualDiscsPath()
{
    return ConfigFolder() + u"/discs.txt"_s;
}

QStringList ReadVirtualDiscs()
{
    QFile file(VirtualDiscsPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList discs;
    const QString text = QString::fromUtf8(file.readAll());
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            discs.append(line);
    }
    return discs;
}

bool AddVirtualDisc(const QString& path)
{
    if (path.trimmed().isEmpty() || path.contains(u'\n') || path.contains(u'\r'))
        return false;
    if (ReadVirtualDiscs().contains(path))
        return true;
    if (!QDir().mkpath(ConfigFolder()))
        return false;

    QByteArray bytes;
    QFile old(VirtualDiscsPath());
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return false;
        bytes = old.readAll();
        old.close();
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += '\n';
    }
    bytes += path.toUtf8() + '\n';

    QSaveFile file(VirtualDiscsPath());
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString DemoDiscPath()
{
    return FindDataFile(kDemoDiscPath);
}

QString DemoDiscPath(const QString& appDir)
{
    return FindDataFile(kDemoDiscPath, appDir);
}

QStringList DriveListEntries()
{
    const QString demo = DemoDiscPath();
    QStringList entries = ListCdDrives();
    for (const QString& disc : ReadVirtualDiscs()) {
        if (disc != demo && !entries.contains(disc))
            entries.append(disc);
    }
    entries.append(demo);
    return entries;
}

QString ChosenDriveName()
{
    const QStringList entries = DriveListEntries();
    const int index = ReadDriveConfig(int(entries.size()));
    return index >= 0 && index < entries.size() ? entries.at(index) : QString();
}

} // namespace verselet
