#include "settings/driveconfig.h"

#include "document/lenientnumber.h"
#include "document/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <limits>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// The file is one short line. Reading stops here, so that a config.dat that
// points at something endless (a device, a FIFO) cannot stall the dialog.
constexpr qint64 kMaxConfigBytes = 64 * 1024;

// Leading blanks skipped, then everything up to the first comma or line end.
QByteArray firstField(const QByteArray& bytes)
{
    qsizetype begin = 0;
    while (begin < bytes.size() && (bytes.at(begin) == ' ' || bytes.at(begin) == '\t'))
        ++begin;
    qsizetype end = begin;
    while (end < bytes.size() && bytes.at(end) != ',' && bytes.at(end) != '\r' &&
           bytes.at(end) != '\n')
        ++end;
    return bytes.mid(begin, end - begin);
}

} // namespace

QString ConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/verselet"_s;
}

QString DriveConfigPath()
{
    return ConfigFolder() + u"/config.dat"_s;
}

QByteArray DriveConfigBytes(qint16 index)
{
    const QByteArray digits = QByteArray::number(qAbs(int(index)));
    return (index < 0 ? "-" : " ") + digits + " \r\n";
}

qint16 DriveIndexFromConfig(const QByteArray& fileBytes, bool fileExists, int entryCount)
{
    if (entryCount <= 0)
        return -1;
    if (!fileExists || fileBytes.isEmpty())
        return 0;

    const double value =
        RoundHalfEven(ReadLenientNumber(QString::fromLatin1(firstField(fileBytes))));
    // Written so that a value too large to be a number at all (NaN) fails too.
    if (!(value >= std::numeric_limits<qint16>::min() &&
          value <= std::numeric_limits<qint16>::max()))
        return 0;
    const int index = int(value);
    if (index == -1)
        return -1;
    if (index < 0 || index >= entryCount)
        return 0;
    return qint16(index);
}

qint16 ReadDriveConfig(const QString& path, int entryCount)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return DriveIndexFromConfig({}, false, entryCount);
    return DriveIndexFromConfig(file.read(kMaxConfigBytes), true, entryCount);
}

qint16 ReadDriveConfig(int entryCount)
{
    return ReadDriveConfig(DriveConfigPath(), entryCount);
}

bool WriteDriveConfig(const QString& path, qint16 index)
{
    // Written beside the old file and moved over it only when complete.
    return QDir().mkpath(QFileInfo(path).absolutePath()) &&
           ReplaceUserFile(path, DriveConfigBytes(index)).ok();
}

bool WriteDriveConfig(qint16 index)
{
    return WriteDriveConfig(DriveConfigPath(), index);
}

} // namespace verselet
