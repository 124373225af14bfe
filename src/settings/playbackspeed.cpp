#include "settings/playbackspeed.h"

#include "settings/driveconfig.h"

#include <QSettings>

#include <algorithm>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

const QString kSpeedKey = u"timing/speed"_s;

QSettings settingsFile()
{
    return QSettings(ConfigFolder() + u"/settings.ini"_s, QSettings::IniFormat);
}

} // namespace

int LoadPlaybackSpeed()
{
    bool number = false;
    const int percent = settingsFile().value(kSpeedKey).toInt(&number);
    return number && kSpeedSteps.contains(percent) ? percent : kFullSpeed;
}

bool SavePlaybackSpeed(int percent)
{
    QSettings settings = settingsFile();
    settings.setValue(kSpeedKey, percent);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

int StepPlaybackSpeed(int percent, int steps)
{
    const qsizetype at = kSpeedSteps.indexOf(percent);
    if (at < 0)
        return kFullSpeed;
    return kSpeedSteps.at(std::clamp<qsizetype>(at + steps, 0, kSpeedSteps.size() - 1));
}

} // namespace verselet
