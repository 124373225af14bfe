#include "document/linewords.h"

#include <algorithm>
#include <limits>

namespace verselet {

namespace {

qsizetype SegmentEnd(const LineWords& words, qsizetype segment)
{
    return segment + 1 < words.starts.size() ? words.starts.at(segment + 1) : words.text.size();
}

// A reading's kana, split: the first segment at 0, each after the one
// before, none inside a character.
bool IsReading(const Reading& reading)
{
    const SegmentStarts& starts = reading.starts;
    if (reading.kana.isEmpty() || starts.isEmpty() || starts.first() != 0)
        return false;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const qsizetype at = starts.at(i);
        if ((i > 0 && at <= starts.at(i - 1)) || at >= reading.kana.size() ||
            reading.kana.at(at).isLowSurrogate())
            return false;
    }
    return true;
}

// How many units each segment has.
QList<qsizetype> UnitsPerSegment(const LineWords& words)
{
    QList<qsizetype> units(words.starts.size(), 1);
    for (qsizetype segment = 0; segment < words.starts.size(); ++segment) {
        if (const Reading* reading = words.readingOf(segment))
            units[segment] = reading->starts.size();
    }
    return units;
}

} // namespace

LineWords LineWords::split(const QString& text)
{
    return {text, DefaultSegments(text), {}, {}, {}};
}

qsizetype LineWords::count() const
{
    qsizetype units = starts.size();
    for (const Reading& reading : readings)
        units += reading.starts.size() - 1;
    return units;
}

WordUnit LineWords::unitAt(qsizetype unit) const
{
    if (unit < 0)
        return {};
    qsizetype first = 0;
    for (qsizetype segment = 0; segment < starts.size(); ++segment) {
        const Reading* reading = readingOf(segment);
        const qsizetype units = reading ? reading->starts.size() : 1;
        if (unit < first + units)
            return {segment, reading ? unit - first : -1};
        first += units;
    }
    return {};
}

qsizetype LineWords::firstUnitOf(qsizetype segment) const
{
    qsizetype first = segment;
    for (const Reading& reading : readings) {
        if (reading.start >= (segment < starts.size() ? starts.value(segment) : text.size()))
            break;
        first += reading.starts.size() - 1;
    }
    return first;
}

const Reading* LineWords::readingOf(qsizetype segment) const
{
    if (segment < 0 || segment >= starts.size())
        return nullptr;
    const qsizetype from = starts.at(segment);
    const auto found =
        std::lower_bound(readings.cbegin(), readings.cend(), from,
                         [](const Reading& reading, qsizetype at) { return reading.start < at; });
    return found != readings.cend() && found->start == from ? &*found : nullptr;
}

QStringView LineWords::segmentText(qsizetype segment) const
{
    if (segment < 0 || segment >= starts.size())
        return {};
    const qsizetype from = starts.at(segment);
    return QStringView(text).sliced(from, SegmentEnd(*this, segment) - from);
}

QStringView LineWords::unitText(qsizetype unit) const
{
    const WordUnit at = unitAt(unit);
    const Reading* reading = readingOf(at.segment);
    if (!reading)
        return segmentText(at.segment);
    const qsizetype from = reading->starts.at(at.mora);
    const qsizetype to = at.mora + 1 < reading->starts.size() ? reading->starts.at(at.mora + 1)
                                                              : reading->kana.size();
    return QStringView(reading->kana).sliced(from, to - from);
}

bool LineWords::hasTimes() const
{
    return end ||
           std::any_of(times.cbegin(), times.cend(), [](ExactTime t) { return t.has_value(); });
}

bool LineWords::isWorthKeeping() const
{
    return count() > 0 && (hasTimes() || !readings.isEmpty() || starts != DefaultSegments(text));
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

void LineWords::reshape(const SegmentStarts& newStarts, const Readings& newReadings)
{
    const QList<qsizetype> unitsBefore = UnitsPerSegment(*this);
    const SegmentStarts startsBefore = starts;
    starts = newStarts;
    readings.clear();
    for (const Reading& reading : newReadings) {
        const qsizetype segment = starts.indexOf(reading.start);
        if (segment >= 0 && SegmentEnd(*this, segment) == reading.start + reading.length &&
            IsReading(reading) && !readingOf(segment) &&
            (readings.isEmpty() || readings.last().start < reading.start))
            readings.append(reading);
    }
    if (starts != startsBefore || UnitsPerSegment(*this) != unitsBefore) {
        times.clear();
        end.reset();
    }
}

void LineWords::setReadings(const Readings& proposed)
{
    Readings newReadings;
    for (const Reading& run : proposed) {
        if (run.start >= 0 && run.length > 0 && run.start + run.length <= text.size())
            newReadings.append(run);
    }
    const auto inside = [&](qsizetype at) {
        return std::any_of(newReadings.cbegin(), newReadings.cend(), [at](const Reading& run) {
            return at > run.start && at < run.start + run.length;
        });
    };
    SegmentStarts around;
    for (const qsizetype start : starts) {
        if (!inside(start))
            around.append(start);
    }
    for (const Reading& run : newReadings) {
        around.append(run.start);
        if (run.start + run.length < text.size())
            around.append(run.start + run.length);
    }
    std::sort(around.begin(), around.end());
    around.erase(std::unique(around.begin(), around.end()), around.end());
    reshape(around, newReadings);
}

SungPoint SungAt(const LineWords& words, qint32 milliseconds)
{
    SungPoint sung;
    const qsizetype units = words.count();
    for (qsizetype unit = 0; unit < units; ++unit) {
        const ExactTime time = words.timeOf(unit);
        if (time && *time <= milliseconds)
            sung = {unit, 1.0};
        else if (time)
            break;
    }
    if (sung.unit < 0)
        return sung;
    const qint32 from = *words.timeOf(sung.unit);
    ExactTime to = words.end;
    for (qsizetype after = sung.unit + 1; after < units; ++after) {
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
