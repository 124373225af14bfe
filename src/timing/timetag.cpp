#include "timing/timetag.h"

#include "document/lenientnumber.h"

namespace verselet {


QString FormatTimeTag(qint32 milliseconds)
{
    const qint32 seconds = milliseconds < 0 ? 0 : milliseconds / 1000;
    const qint32 minutes = seconds / 60;
    const qint32 rest = seconds - 60 * minutes;
    return QStringLiteral("[%1:%2]")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(rest, 2, 10, QLatin1Char('0'));
}

double TagToMilliseconds(QStringView text)
{
    const auto field = [text](qsizetype from) {
        return from < text.size() ? text.mid(from, 2) : QStringView();
    };
    const double minuteSeconds = RoundHalfEven(ReadLenientNumber(field(1)) * 60);
    const double total = RoundHalfEven(minuteSeconds + ReadLenientNumber(field(4)));
    return total * 1000;
}

} // namespace verselet
