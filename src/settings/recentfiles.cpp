#include "settings/recentfiles.h"

#include "settings/driveconfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

const QString kArray = u"files"_s;
const QString kPathKey = u"path"_s;

QString recentFilePath()
{
    return ConfigFolder() + u"/recent.ini"_s;
}

// Two names of one file compare equal once made absolute and clean.
QString cleanPath(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Reading a file Qt cannot parse leaves a sticky FormatError that would hide
// whether a later write went well.
bool isDamaged(const QString& path)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.allKeys();
    return settings.status() == QSettings::FormatError;
}

} // namespace

RecentFiles RecentFiles::load()
{
    QSettings settings(recentFilePath(), QSettings::IniFormat);
    RecentFiles recent;
    const int size = settings.beginReadArray(kArray);
    for (int i = 0; i < size && recent.m_paths.size() < kRecentFilesKept; ++i) {
        settings.setArrayIndex(i);
        const QString path = settings.value(kPathKey).toString();
        if (path.isEmpty() || !QDir::isAbsolutePath(path))
            continue;
        const QString clean = cleanPath(path);
        if (!recent.m_paths.contains(clean))
            recent.m_paths.append(clean);
    }
    settings.endArray();
    return recent;
}

void RecentFiles::add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString clean = cleanPath(path);
    m_paths.removeAll(clean);
    m_paths.prepend(clean);
    while (m_paths.size() > kRecentFilesKept)
        m_paths.removeLast();
}

void RecentFiles::remove(const QString& path)
{
    if (!path.isEmpty())
        m_paths.removeAll(cleanPath(path));
}

bool RecentFiles::save() const
{
    const QString path = recentFilePath();
    // Nothing in a damaged file is worth keeping: it is written anew.
    if (isDamaged(path))
        QFile::remove(path);
    QSettings settings(path, QSettings::IniFormat);
    settings.clear();
    settings.beginWriteArray(kArray, int(m_paths.size()));
    for (int i = 0; i < m_paths.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kPathKey, m_paths.at(i));
    }
    settings.endArray();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace verselet
