#include "document/karaoketext.h"

#include "document/lrcformat.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

constexpr QStringView kLineEnd = u"\r\n";
// A base is a word or two: one longer is no base, and every place of every
// line is not looked at for it.
constexpr qsizetype kLongestBase = kLongestReading;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A time as it is written: to the hundredth.
qint32 writtenTime(qint32 milliseconds)
{
    return std::max(milliseconds, 0) / 10 * 10;
}

struct Tag
{
    qint32 milliseconds = 0;
    qsizetype end = 0; // just after the closing bracket
};

// "[m:ss:cc]" at `at`: one to nine digits of minutes, two of seconds below
// 60 and two of hundredths.
std::optional<Tag> readTag(QStringView text, qsizetype at)
{
    if (at >= text.size() || text.at(at) != u'[')
        return std::nullopt;
    qsizetype i = at + 1;
    qint64 minutes = 0;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text.at(i)) && digits < 10) {
        minutes = minutes * 10 + (text.at(i++).unicode() - u'0');
        ++digits;
    }
    if (digits == 0 || digits > 9)
        return std::nullopt;
    const auto pairAfterColon = [&](qsizetype colon) {
        if (colon + 2 >= text.size() || text.at(colon) != u':' || !isDigit(text.at(colon + 1)) ||
            !isDigit(text.at(colon + 2)))
            return -1;
        return (text.at(colon + 1).unicode() - u'0') * 10 + (text.at(colon + 2).unicode() - u'0');
    };
    const int seconds = pairAfterColon(i);
    const int hundredths = seconds >= 0 && seconds < 60 ? pairAfterColon(i + 3) : -1;
    if (hundredths < 0 || i + 6 >= text.size() || text.at(i + 6) != u']')
        return std::nullopt;
    return Tag{ClampToPosition((minutes * 60 + seconds) * 1000 + hundredths * 10), i + 7};
}

// Where a tag stood in a text once the tags are taken out, and its time.
struct Mark
{
    qsizetype at = 0;
    qint32 milliseconds = 0;
};

struct MarkedText
{
    QString text;
    // In the text's order, one per place: of two tags at one place the
    // later counts.
    QList<Mark> marks;
};

MarkedText readMarks(QStringView line)
{
    MarkedText out;
    out.text.reserve(line.size());
    for (qsizetype i = 0; i < line.size();) {
        if (const auto tag = readTag(line, i)) {
            if (!out.marks.isEmpty() && out.marks.last().at == out.text.size())
                out.marks.last().milliseconds = tag->milliseconds;
            else
                out.marks.append({out.text.size(), tag->milliseconds});
            i = tag->end;
            continue;
        }
        out.text += line.at(i++);
    }
    return out;
}

// A lyric line as read, before the readings are found in it.
struct ReadLine
{
    MarkedText marked; // each mark begins a unit; none for a line without a time
    ExactTime end;
};

ReadLine readLine(QStringView line)
{
    ReadLine read{readMarks(line), std::nullopt};
    QList<Mark>& marks = read.marked.marks;
    if (marks.isEmpty())
        return read;
    // Text before the first tag is sung at its time.
    marks.first().at = 0;
    if (!read.marked.text.isEmpty() && marks.last().at == read.marked.text.size())
        read.end = marks.takeLast().milliseconds;
    return read;
}

struct Ruby
{
    QString base;
    QString kana;
    // Where the reading's later segments begin in the kana, and when.
    QList<Mark> marks;
    ExactTime from;
    ExactTime to;

    bool holds(qint32 milliseconds) const
    {
        return (!from || milliseconds >= *from) && (!to || milliseconds < *to);
    }
};

// "base,reading,from,to"; none without a base, or with a range that is not
// a tag.
std::optional<Ruby> readRuby(QStringView value)
{
    const QList<QStringView> fields = value.split(u',');
    if (fields.size() > 4 || fields.first().isEmpty() || fields.first().size() > kLongestBase)
        return std::nullopt;
    Ruby ruby;
    ruby.base = fields.first().toString();
    if (fields.size() > 1) {
        MarkedText reading = readMarks(fields.at(1));
        ruby.kana = reading.text;
        // A tag before the first kana is the base's own, one after the last
        // ends nothing.
        for (const Mark& mark : reading.marks) {
            if (mark.at > 0 && mark.at < ruby.kana.size())
                ruby.marks.append(mark);
        }
    }
    const auto bound = [&fields](qsizetype field, ExactTime& into) {
        const QStringView written = fields.value(field).trimmed();
        if (written.isEmpty())
            return true;
        const auto tag = readTag(written, 0);
        if (!tag || tag->end != written.size())
            return false;
        into = tag->milliseconds;
        return true;
    };
    if (!bound(2, ruby.from) || !bound(3, ruby.to))
        return std::nullopt;
    return ruby;
}

// The readings' bases, and the lengths to look for at a place, longest
// first: the reader and the writer find the bases the same way.
class BaseFinder final
{
public:
    void add(const QString& base)
    {
        if (!m_bases.contains(base))
            m_lengths.append(base.size());
        m_bases.insert(base);
        std::sort(m_lengths.begin(), m_lengths.end(), std::greater<>());
        m_lengths.erase(std::unique(m_lengths.begin(), m_lengths.end()), m_lengths.end());
    }

    // The longest base standing at `at`; empty for none.
    QString at(const QString& text, qsizetype at) const
    {
        for (const qsizetype length : m_lengths) {
            if (at + length > text.size())
                continue;
            if (QString base = text.sliced(at, length); m_bases.contains(base))
                return base;
        }
        return {};
    }

private:
    QSet<QString> m_bases;
    QList<qsizetype> m_lengths;
};

// A base found at a unit of a line, and the reading of the @Ruby line that
// applies there.
struct FoundBase
{
    qsizetype at = 0;
    qsizetype length = 0;
    const Ruby* ruby = nullptr;
};

// The line's units, its readings found: a base is one segment at the time
// of the unit it begins at, and a unit it ends inside goes on as a segment
// without a time.
LineWords wordsWithReadings(const ReadLine& read, const QList<FoundBase>& found)
{
    const QString& text = read.marked.text;
    const QList<Mark>& marks = read.marked.marks;
    LineWords words{text, {}, {}, read.end, {}};
    qsizetype next = 0;
    for (qsizetype m = 0; m < marks.size(); ++m) {
        const Mark& mark = marks.at(m);
        words.starts.append(mark.at);
        words.times.append(mark.milliseconds);
        if (next >= found.size() || found.at(next).at != mark.at)
            continue;
        const FoundBase& base = found.at(next++);
        Reading reading{base.at, base.length, base.ruby->kana, {0}};
        for (const Mark& inner : base.ruby->marks) {
            reading.starts.append(inner.at);
            words.times.append(inner.milliseconds);
        }
        words.readings.append(reading);
        const qsizetype baseEnd = base.at + base.length;
        while (m + 1 < marks.size() && marks.at(m + 1).at < baseEnd)
            ++m;
        if (baseEnd < text.size() && (m + 1 == marks.size() || marks.at(m + 1).at > baseEnd)) {
            words.starts.append(baseEnd);
            words.times.append(std::nullopt);
        }
    }
    while (!words.times.isEmpty() && !words.times.constLast())
        words.times.removeLast();
    return words;
}

KaraokeLine finishLine(const ReadLine& read, const BaseFinder& finder,
                       const QHash<QString, QList<const Ruby*>>& rubies)
{
    const MarkedText& marked = read.marked;
    KaraokeLine line{std::nullopt, marked.text, {}};
    if (marked.marks.isEmpty())
        return line;
    line.time = marked.marks.first().milliseconds;
    QList<FoundBase> found;
    qsizetype past = 0;
    for (const Mark& mark : marked.marks) {
        if (mark.at < past)
            continue;
        const QString base = finder.at(marked.text, mark.at);
        if (base.isEmpty())
            continue;
        past = mark.at + base.size();
        const QList<const Ruby*>& ofBase = rubies.value(base);
        const auto applies =
            std::find_if(ofBase.cbegin(), ofBase.cend(),
                         [&mark](const Ruby* ruby) { return ruby->holds(mark.milliseconds); });
        if (applies != ofBase.cend() && !(*applies)->kana.isEmpty())
            found.append({mark.at, base.size(), *applies});
    }
    if (marked.marks.size() > 1 || read.end || !found.isEmpty())
        line.words = wordsWithReadings(read, found);
    return line;
}

// Blanks, and byte order marks (files joined together carry one at the
// start of a line).
qsizetype skipFiller(QStringView line)
{
    qsizetype at = 0;
    while (at < line.size() &&
           (line.at(at) == u' ' || line.at(at) == u'\t' || line.at(at) == QChar(0xFEFF)))
        ++at;
    return at;
}

// A line as written: its text with the tags in it, and where each tag
// (the end's aside) stands in the text, at its written time.
struct WrittenLine
{
    QString line;
    QString text;
    QList<Mark> marks;
};

// A reading written over a segment that has a tag: where, and the @Ruby
// line's reading with its later times in it.
struct WrittenReading
{
    qsizetype line = 0;
    qsizetype at = 0;
    QString base;
    QString reading;
};

WrittenLine writeLine(const KaraokeLine& line, qsizetype index, QList<WrittenReading>& readings)
{
    const qint32 time = *line.time;
    WrittenLine out{{}, line.text, {}};
    const LineWords& words = line.words;
    if (words.text != line.text || words.count() == 0) {
        out.line = FormatKaraokeTime(time) + line.text;
        out.marks.append({0, writtenTime(time)});
        return out;
    }
    // The line's own time times its first unit.
    const auto timeOf = [&](qsizetype unit) {
        return unit == 0 ? ExactTime(time) : words.timeOf(unit);
    };
    for (qsizetype segment = 0; segment < words.segmentCount(); ++segment) {
        const qsizetype first = words.firstUnitOf(segment);
        const qsizetype next = words.firstUnitOf(segment + 1);
        qsizetype timed = first;
        while (timed < next && !timeOf(timed))
            ++timed;
        const qsizetype start = words.starts.at(segment);
        if (timed < next) {
            out.line += FormatKaraokeTime(*timeOf(timed));
            out.marks.append({start, writtenTime(*timeOf(timed))});
        }
        out.line += words.segmentText(segment);
        if (timed == next || !words.readingOf(segment))
            continue;
        QString reading;
        for (qsizetype unit = first; unit < next; ++unit) {
            if (unit > timed && timeOf(unit))
                reading += FormatKaraokeTime(*timeOf(unit));
            reading += words.unitText(unit);
        }
        readings.append({index, start, words.segmentText(segment).toString(), reading});
    }
    if (words.end)
        out.line += FormatKaraokeTime(*words.end);
    return out;
}

// A place where the reader finds a base, in file order, and what it is to
// take there (empty for no reading).
struct Place
{
    QString base;
    qint32 milliseconds = 0;
    QString reading;
};

QList<Place> placesOf(const QList<WrittenLine>& lines, const QSet<QString>& bases,
                      const QHash<std::pair<qsizetype, qsizetype>, WrittenReading>& readings)
{
    BaseFinder finder;
    for (const QString& base : bases)
        finder.add(base);
    QList<Place> places;
    for (qsizetype l = 0; l < lines.size(); ++l) {
        qsizetype past = 0;
        for (const Mark& mark : lines.at(l).marks) {
            if (mark.at < past)
                continue;
            const QString base = finder.at(lines.at(l).text, mark.at);
            if (base.isEmpty())
                continue;
            past = mark.at + base.size();
            const auto written = readings.constFind({l, mark.at});
            places.append({base, mark.milliseconds,
                           written != readings.cend() && written->base == base ? written->reading
                                                                               : QString()});
        }
    }
    return places;
}

// The @Ruby lines that give every reading back where the reader finds its
// base, and nothing where it finds one without.
QStringList rubyLines(const QList<WrittenLine>& lines, const QList<WrittenReading>& readings)
{
    QHash<std::pair<qsizetype, qsizetype>, WrittenReading> byPlace;
    QSet<QString> bases;
    for (const WrittenReading& reading : readings) {
        // Neither can hold the comma that parts the fields.
        if (reading.base.contains(u',') || reading.reading.contains(u',') ||
            reading.base.size() > kLongestBase)
            continue;
        byPlace.insert({reading.line, reading.at}, reading);
        bases.insert(reading.base);
    }
    // A base found only where nothing is written above it would hide a
    // shorter one at its places, and has no @Ruby line: it is looked for no
    // more, until every base looked for is found with a reading or not at all.
    QList<Place> places;
    for (;;) {
        places = placesOf(lines, bases, byPlace);
        QSet<QString> bare;
        QSet<QString> read;
        for (const Place& place : places)
            (place.reading.isEmpty() ? bare : read).insert(place.base);
        bare.subtract(read);
        if (bare.isEmpty())
            break;
        bases.subtract(bare);
    }

    QStringList out;
    QStringList order;
    for (const Place& place : places) {
        if (!place.reading.isEmpty() && !order.contains(place.base))
            order.append(place.base);
    }
    for (const QString& base : order) {
        QList<Place> ofBase;
        for (const Place& place : places) {
            if (place.base == base)
                ofBase.append(place);
        }
        std::stable_sort(ofBase.begin(), ofBase.end(), [](const Place& a, const Place& b) {
            return a.milliseconds < b.milliseconds;
        });
        // Where what stands above the base changes, in time order.
        QList<qsizetype> parts{0};
        for (qsizetype i = 1; i < ofBase.size(); ++i) {
            if (ofBase.at(i).reading != ofBase.at(i - 1).reading)
                parts.append(i);
        }
        for (qsizetype p = 0; p < parts.size(); ++p) {
            const Place& first = ofBase.at(parts.at(p));
            if (first.reading.isEmpty())
                continue;
            QString line = u"@Ruby%1=%2,%3"_s.arg(out.size() + 1).arg(base, first.reading);
            if (parts.size() > 1) {
                line += u',';
                if (p > 0)
                    line += FormatKaraokeTime(first.milliseconds);
                line += u',';
                if (p + 1 < parts.size())
                    line += FormatKaraokeTime(ofBase.at(parts.at(p + 1)).milliseconds);
            }
            out.append(line);
        }
    }
    return out;
}

} // namespace

QString FormatKaraokeTime(qint32 milliseconds)
{
    QString tag = FormatLrcTime(milliseconds);
    tag[tag.size() - 4] = u':';
    return tag;
}

QString ComposeKaraokeText(const KaraokeDocument& document)
{
    QList<WrittenLine> written;
    QList<WrittenReading> readings;
    if (!document.startText.isEmpty())
        written.append(writeLine(KaraokeLine{0, document.startText, {}}, 0, readings));
    for (const KaraokeLine& line : document.lines) {
        if (line.time)
            written.append(writeLine(line, written.size(), readings));
    }
    QStringList out;
    out.reserve(written.size() + 4);
    for (const WrittenLine& line : written)
        out.append(line.line);
    QStringList at;
    for (const auto& [key, value] :
         {std::pair{u"Title"_s, &document.title}, std::pair{u"Artist"_s, &document.artist},
          std::pair{u"Album"_s, &document.album}}) {
        if (!value->isEmpty())
            at.append(u'@' + key + u'=' + *value);
    }
    at += document.otherLines;
    at += rubyLines(written, readings);
    if (!out.isEmpty() && !at.isEmpty())
        out.append(QString());
    out += at;
    QString text = out.join(kLineEnd);
    if (!out.isEmpty())
        text += kLineEnd;
    return text;
}

QByteArray EncodeKaraokeText(const KaraokeDocument& document)
{
    return ComposeKaraokeText(document).toUtf8();
}

std::optional<KaraokeDocument> ParseKaraokeText(const QString& content)
{
    KaraokeDocument document;
    QList<ReadLine> read;
    QList<Ruby> rubies;
    bool tagged = false;
    for (QStringView line : QStringView(content).split(kLineEnd)) {
        line = line.sliced(skipFiller(line));
        if (line.startsWith(u'@')) {
            const qsizetype equals = line.indexOf(u'=');
            const QStringView key = line.sliced(1, std::max<qsizetype>(equals - 1, 0));
            const QStringView value = line.sliced(equals + 1);
            const auto is = [&key, equals](QStringView name) {
                return equals > 0 && key.compare(name, Qt::CaseInsensitive) == 0;
            };
            if (is(u"Title"))
                document.title = value.trimmed().toString();
            else if (is(u"Artist"))
                document.artist = value.trimmed().toString();
            else if (is(u"Album"))
                document.album = value.trimmed().toString();
            else if (equals > 0 && key.size() > 4 &&
                     key.first(4).compare(u"Ruby", Qt::CaseInsensitive) == 0 &&
                     std::all_of(key.begin() + 4, key.end(), isDigit)) {
                if (auto ruby = readRuby(value))
                    rubies.append(std::move(*ruby));
            } else
                document.otherLines.append(line.toString());
            continue;
        }
        if (line.trimmed().isEmpty())
            continue;
        tagged = tagged || readTag(line, 0).has_value();
        read.append(readLine(line));
    }
    if (!tagged)
        return std::nullopt;

    BaseFinder finder;
    QHash<QString, QList<const Ruby*>> byBase;
    for (const Ruby& ruby : rubies) {
        finder.add(ruby.base);
        byBase[ruby.base].append(&ruby);
    }
    document.lines.reserve(read.size());
    for (const ReadLine& line : read)
        document.lines.append(finishLine(line, finder, byBase));
    const KaraokeLine& first = document.lines.constFirst();
    if (first.time == 0 && !first.text.isEmpty() && first.words.count() == 0)
        document.startText = document.lines.takeFirst().text;
    return document;
}

} // namespace verselet
