#include "document/linewords.h"

#include <algorithm>
#include <limits>

namespace verselet {

LineWords LineWords::split(const QString& text)
{
    return {text, DefaultSegments(text), {}, {}};
}

QStringView LineWords::segmentText(qsizetype segment) const
{
    if (segment < 0 || segment >= count())
        return {};
    const qsizetype from = starts.at(segment);
    const qsizetype to = segment + 1 < count() ? starts.at(segment + 1) : text.size();
    return QStringView(text).sliced(from, to - from);
}

bool LineWords::hasTimes() const
{
    return end ||
           std::any_of(times.cbegin(), times.cend(), [](ExactTime t) { return t.has_value(); });
}

bool LineWords::isWorthKeeping() const
{
    return count() > 0 && (hasTimes() || starts != DefaultSegments(text));
}

void LineWords::stamp(qsizetype segment, qint32 milliseconds)
{
    if (segment < 0 || segment >= count())
        return;
    times.resize(segment + 1);
    times[segment] = std::max(milliseconds, 0);
    end.reset();
}

ExactTime LineWords::movedTime(qsizetype segment, qint32 milliseconds) const
{
    const ExactTime now = segment == count() ? end : timeOf(segment);
    if (!now)
        return std::nullopt;
    qint32 low = 0;
    qint32 high = std::numeric_limits<qint32>::max();
    for (qsizetype before = segment - 1; before >= 0; --before) {
        if (const ExactTime t = timeOf(before)) {
            low = *t;
            break;
        }
    }
    for (qsizetype after = segment + 1; after <= count(); ++after) {
        if (const ExactTime t = after < count() ? timeOf(after) : end) {
            high = *t;
            break;
        }
    }
    const qint32 to = std::max(milliseconds, 0);
    if (to >= *now)
        return std::min(to, std::max(high, *now));
    return std::max(to, std::min(low, *now));
}

bool LineWords::move(qsizetype segment, qint32 milliseconds)
{
    const ExactTime to = movedTime(segment, milliseconds);
    if (!to)
        return false;
    if (segment == count())
        end = to;
    else
        times[segment] = to;
    return true;
}

void LineWords::shift(qint64 delta, qsizetype fromSegment)
{
    for (qsizetype segment = std::max<qsizetype>(fromSegment, 0); segment < times.size();
         ++segment) {
        if (ExactTime& time = times[segment])
            time = ClampToPosition(*time + delta);
    }
    if (end)
        end = ClampToPosition(*end + delta);
}

void LineWords::resplit(const SegmentStarts& newStarts)
{
    if (newStarts == starts)
        return;
    starts = newStarts;
    times.clear();
    end.reset();
}

SungPoint SungAt(const LineWords& words, qint32 milliseconds)
{
    SungPoint sung;
    for (qsizetype segment = 0; segment < words.count(); ++segment) {
        const ExactTime time = words.timeOf(segment);
        if (time && *time <= milliseconds)
            sung = {segment, 1.0};
        else if (time)
            break;
    }
    if (sung.segment < 0)
        return sung;
    const qint32 from = *words.timeOf(sung.segment);
    ExactTime to = words.end;
    for (qsizetype after = sung.segment + 1; after < words.count(); ++after) {
        if (const ExactTime time = words.timeOf(after)) {
            to = time;
            break;
        }
    }
    if (to && *to > from)
        sung.fraction = std::min(1.0, double(milliseconds - from) / double(*to - from));
    return sung;
}

LineWords WordsForText(const LineWords& kept, const QString& text)
{
    return kept.text == text && kept.count() > 0 ? kept : LineWords::split(text);
}

} // namespace verselet
