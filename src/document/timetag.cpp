#include "document/timetag.h"

#include "document/lenientnumber.h"
#include "document/lyricsformat.h"

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

bool IsTimeTag(QStringView tag)
{
    const auto digit = [tag](qsizetype i) { return tag.at(i) >= u'0' && tag.at(i) <= u'9'; };
    return tag.size() == kTagFieldLength && tag.at(0) == u'[' && digit(1) && digit(2) &&
           tag.at(3) == u':' && digit(4) && digit(5) && tag.at(6) == u']';
}

ExactTime CurrentExactTime(QStringView tagField, ExactTime exact)
{
    if (!exact || *exact < 0)
        return std::nullopt;
    // From 100 minutes on a tag is eight characters, of which the tag field
    // holds seven.
    const QString tag = FormatTimeTag(*exact);
    if (TagField(tagField) != QStringView(tag).left(kTagFieldLength))
        return std::nullopt;
    return exact;
}

QString ClockText(ExactTime shown)
{
    return shown ? FormatTimeTag(*shown) : kUntimedTag.toString();
}

ExactTime LineTime(QStringView tagField, ExactTime exact)
{
    if (const ExactTime current = CurrentExactTime(tagField, exact))
        return current;
    const QStringView tag = tagField.left(kTagFieldLength);
    if (!IsTimeTag(tag))
        return std::nullopt;
    return qint32(TagToMilliseconds(tag));
}

} // namespace verselet
