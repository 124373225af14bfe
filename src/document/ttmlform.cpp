#include "document/ttmlform.h"

#include "document/lrcformat.h"
#include "document/subtitlecues.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

const QString kTtNs = u"http://www.w3.org/ns/ttml"_s;
const QString kItunesNs = u"http://music.apple.com/lyric-ttml-internal"_s;
const QString kTtmNs = u"http://www.w3.org/ns/ttml#metadata"_s;
const QString kTtpNs = u"http://www.w3.org/ns/ttml#parameter"_s;
const QString kTtsNs = u"http://www.w3.org/ns/ttml#styling"_s;

// Deeper than any lyrics file nests (tt, body, div, p, ruby container, text
// container, text): a file nested deeper is refused.
constexpr int kDeepestElement = 32;

// Characters XML has no place for, written as blanks.
QString XmlText(QStringView text)
{
    QString out = text.toString();
    for (QChar& c : out) {
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            c = u' ';
        else if (c == u'\r' || c == u'\n')
            c = u' ';
    }
    return out;
}

bool TimedWordByWord(const KaraokeLine& line)
{
    return line.words.hasTimes() && line.words.text == line.text && line.words.segmentCount() > 0;
}

struct Syllable
{
    QString text;
    qint32 start = 0;
    qint32 end = 0;
    qsizetype segment = 0;
};

// The spans of a line: each segment from its time to the next one's (a
// segment without a time is sung with the one before), the last to the
// line's end.
QList<Syllable> SyllablesOf(const KaraokeLine& line, qint32 end)
{
    const LineWords& words = line.words;
    QList<Syllable> syllables;
    for (qsizetype segment = 0; segment < words.segmentCount(); ++segment) {
        const QString text = words.segmentText(segment).toString();
        const ExactTime time = segment == 0 ? line.time : words.timeOf(words.firstUnitOf(segment));
        if (!time) {
            syllables.last().text += text;
            continue;
        }
        const qint32 at = segment == 0 ? *time : std::max(*time, syllables.last().start);
        syllables.append({text, at, 0, segment});
    }
    end = std::max(end, syllables.last().start);
    for (qsizetype i = 0; i < syllables.size(); ++i)
        syllables[i].end = i + 1 < syllables.size() ? syllables.at(i + 1).start : end;
    return syllables;
}

void WriteTimes(QXmlStreamWriter& xml, qint32 begin, qint32 end)
{
    xml.writeAttribute(u"begin"_s, FormatTtmlTime(begin));
    xml.writeAttribute(u"end"_s, FormatTtmlTime(end));
}

// A segment with a reading, as TTML2 ruby: the base, then a text for each
// part of the reading with its own times (a part without a time is sung
// with the one before).
void WriteRuby(QXmlStreamWriter& xml, const LineWords& words, const Syllable& syllable,
               const Reading& reading, QStringView baseText)
{
    xml.writeStartElement(kTtNs, u"span"_s);
    WriteTimes(xml, syllable.start, syllable.end);
    xml.writeAttribute(kTtsNs, u"ruby"_s, u"container"_s);
    xml.writeStartElement(kTtNs, u"span"_s);
    xml.writeAttribute(kTtsNs, u"ruby"_s, u"base"_s);
    xml.writeCharacters(XmlText(baseText));
    xml.writeEndElement();
    xml.writeStartElement(kTtNs, u"span"_s);
    xml.writeAttribute(kTtsNs, u"ruby"_s, u"textContainer"_s);
    QList<Syllable> parts;
    const qsizetype first = words.firstUnitOf(syllable.segment);
    for (qsizetype mora = 0; mora < reading.starts.size(); ++mora) {
        const qsizetype from = reading.starts.at(mora);
        const qsizetype to =
            mora + 1 < reading.starts.size() ? reading.starts.at(mora + 1) : reading.kana.size();
        const QString kana = reading.kana.sliced(from, to - from);
        const ExactTime time = words.timeOf(first + mora);
        if (mora > 0 && !time) {
            parts.last().text += kana;
            continue;
        }
        const qint32 at = mora == 0 ? syllable.start
                                    : std::clamp(*time, parts.last().start,
                                                 std::max(parts.last().start, syllable.end));
        parts.append({kana, at, 0, mora});
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        xml.writeStartElement(kTtNs, u"span"_s);
        xml.writeAttribute(kTtsNs, u"ruby"_s, u"text"_s);
        WriteTimes(xml, parts.at(i).start,
                   i + 1 < parts.size() ? parts.at(i + 1).start : syllable.end);
        xml.writeCharacters(XmlText(parts.at(i).text));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
}

} // namespace

QString FormatTtmlTime(qint32 milliseconds)
{
    const qint64 ms = std::max(milliseconds, 0);
    return u"%1:%2:%3.%4"_s.arg(ms / 3600000, 2, 10, QChar(u'0'))
        .arg(ms / 60000 % 60, 2, 10, QChar(u'0'))
        .arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
        .arg(ms % 1000, 3, 10, QChar(u'0'));
}

std::optional<qint64> ParseTtmlTime(QStringView text, const TtmlRates& rates)
{
    text = text.trimmed();
    // A whole number of up to 18 digits (ticks run to tens of millions a
    // second).
    const auto whole = [](QStringView digits) -> std::optional<qint64> {
        if (digits.isEmpty() || digits.size() > 18)
            return std::nullopt;
        qint64 value = 0;
        for (const QChar c : digits) {
            if (!c.isDigit() || c.unicode() > 0x7f)
                return std::nullopt;
            value = value * 10 + c.digitValue();
        }
        return value;
    };
    const auto framesMs = [&rates](qint64 frames) {
        return qint64(std::min(double(frames) * 1000 / rates.framesPerSecond, 1e15));
    };
    // Digits, then at most one fraction: whole units and thousandths of one.
    const auto decimal = [](QStringView digits, qint64 unitMs) -> std::optional<qint64> {
        const qsizetype dot = digits.indexOf(u'.');
        const QStringView whole = dot < 0 ? digits : digits.first(dot);
        const QStringView fraction = dot < 0 ? QStringView() : digits.sliced(dot + 1);
        if (whole.isEmpty() || whole.size() > 9 || (dot >= 0 && fraction.isEmpty()))
            return std::nullopt;
        qint64 value = 0;
        for (const QChar c : whole) {
            if (!c.isDigit() || c.unicode() > 0x7f)
                return std::nullopt;
            value = value * 10 + c.digitValue();
        }
        qint64 part = 0;
        qint64 scale = 1;
        for (const QChar c : fraction) {
            if (!c.isDigit() || c.unicode() > 0x7f)
                return std::nullopt;
            if (scale < 1000000) {
                part = part * 10 + c.digitValue();
                scale *= 10;
            }
        }
        return value * unitMs + part * unitMs / scale;
    };
    if (text.contains(u':')) {
        // [hours:]minutes:seconds, the seconds of two digits (one, as some
        // players write "0:5.000", is taken too).
        QList<QStringView> parts = text.split(u':');
        qint64 frameMs = 0;
        if (parts.size() == 4) {
            // hh:mm:ss:ff[.sub-frames]: the frames of two digits at least.
            const QStringView frameText = parts.takeLast();
            const qsizetype dot = frameText.indexOf(u'.');
            const auto frames = whole(dot < 0 ? frameText : frameText.first(dot));
            if (!frames || frameText.size() < 2 || parts.first().size() < 2 ||
                parts.last().contains(u'.') || (dot >= 0 && !whole(frameText.sliced(dot + 1))))
                return std::nullopt;
            frameMs = framesMs(*frames);
        }
        if (parts.size() > 3)
            return std::nullopt;
        const QStringView secondsText = parts.last();
        const qsizetype dot = secondsText.indexOf(u'.');
        const qsizetype secondDigits = dot < 0 ? secondsText.size() : dot;
        const auto seconds = decimal(secondsText, 1000);
        const auto minutes = decimal(parts.at(parts.size() - 2), 1);
        const auto hours = parts.size() == 3 ? decimal(parts.at(0), 1) : std::optional<qint64>(0);
        if (!seconds || !minutes || !hours || secondDigits > 2 || *seconds >= 60000 ||
            parts.at(parts.size() - 2).contains(u'.') || parts.first().contains(u'.') ||
            (parts.size() == 3 && *minutes >= 60))
            return std::nullopt;
        return (*hours * 60 + *minutes) * 60000 + *seconds + frameMs;
    }
    if (text.endsWith(u't')) {
        const auto ticks = whole(text.chopped(1));
        if (!ticks || rates.ticksPerSecond <= 0)
            return std::nullopt;
        const qint64 rate = rates.ticksPerSecond;
        return *ticks / rate * 1000 + *ticks % rate * 1000 / rate;
    }
    if (text.endsWith(u'f')) {
        const auto frames = whole(text.chopped(1));
        return frames ? std::optional<qint64>(framesMs(*frames)) : std::nullopt;
    }
    struct Unit
    {
        QStringView suffix;
        qint64 ms;
    };
    static constexpr Unit units[] = {{u"ms", 1}, {u"h", 3600000}, {u"m", 60000}, {u"s", 1000}};
    for (const Unit& unit : units) {
        if (text.endsWith(unit.suffix))
            return decimal(text.chopped(unit.suffix.size()), unit.ms);
    }
    return decimal(text, 1000);
}

QByteArray WriteTtml(const SubtitleSource& source)
{
    const KaraokeDocument& song = source.song;
    const QList<SubtitleCue> cues = SubtitleCuesOf(source);
    const bool wordTimes = std::any_of(cues.cbegin(), cues.cend(), [](const SubtitleCue& cue) {
        return cue.line != nullptr && TimedWordByWord(*cue.line);
    });
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeCharacters(u"\n"_s);
    xml.writeDefaultNamespace(kTtNs);
    xml.writeNamespace(kItunesNs, u"itunes"_s);
    xml.writeNamespace(kTtmNs, u"ttm"_s);
    xml.writeNamespace(kTtsNs, u"tts"_s);
    xml.writeStartElement(kTtNs, u"tt"_s);
    xml.writeAttribute(kItunesNs, u"timing"_s, wordTimes ? u"Word"_s : u"Line"_s);
    xml.writeAttribute(u"xml:lang"_s, u"ja"_s);
    xml.writeCharacters(u"\n"_s);

    xml.writeStartElement(kTtNs, u"head"_s);
    xml.writeStartElement(kTtNs, u"metadata"_s);
    if (!song.title.isEmpty())
        xml.writeTextElement(kTtmNs, u"title"_s, XmlText(song.title));
    if (!song.artist.isEmpty()) {
        xml.writeStartElement(kTtmNs, u"agent"_s);
        xml.writeAttribute(u"type"_s, u"person"_s);
        xml.writeAttribute(u"xml:id"_s, u"v1"_s);
        xml.writeStartElement(kTtmNs, u"name"_s);
        xml.writeAttribute(u"type"_s, u"full"_s);
        xml.writeCharacters(XmlText(song.artist));
        xml.writeEndElement();
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeCharacters(u"\n"_s);

    // Every time is from the start of the track, as the streaming players
    // read them; the division begins at 0, so that a reader that counts a
    // line's times from its division's finds them where they are.
    const qint32 songEnd = cues.isEmpty() ? 0 : cues.last().end;
    xml.writeStartElement(kTtNs, u"body"_s);
    xml.writeAttribute(u"dur"_s, FormatTtmlTime(songEnd));
    xml.writeCharacters(u"\n"_s);
    xml.writeStartElement(kTtNs, u"div"_s);
    WriteTimes(xml, 0, songEnd);
    xml.writeCharacters(u"\n"_s);
    int key = 0;
    for (const SubtitleCue& cue : cues) {
        xml.writeStartElement(kTtNs, u"p"_s);
        WriteTimes(xml, cue.start, cue.end);
        xml.writeAttribute(kItunesNs, u"key"_s, u"L"_s + QString::number(++key));
        if (!song.artist.isEmpty())
            xml.writeAttribute(kTtmNs, u"agent"_s, u"v1"_s);
        if (cue.line == nullptr) {
            xml.writeCharacters(XmlText(song.startText));
        } else if (!TimedWordByWord(*cue.line)) {
            xml.writeCharacters(XmlText(cue.line->text));
        } else {
            const LineWords& words = cue.line->words;
            for (const Syllable& syllable : SyllablesOf(*cue.line, cue.end)) {
                // The blanks after a word stand between the spans, as the
                // players' own files have them.
                qsizetype length = syllable.text.size();
                while (length > 0 && syllable.text.at(length - 1).isSpace())
                    --length;
                if (length == 0)
                    length = syllable.text.size();
                const QStringView sung = QStringView(syllable.text).first(length);
                const qsizetype segmentLength = words.segmentText(syllable.segment).size();
                const Reading* reading = words.readingOf(syllable.segment);
                if (reading != nullptr && !reading->kana.isEmpty() && !reading->starts.isEmpty()) {
                    const qsizetype base = std::min(segmentLength, length);
                    WriteRuby(xml, words, syllable, *reading, sung.first(base));
                    xml.writeCharacters(XmlText(sung.sliced(base)));
                } else {
                    xml.writeStartElement(kTtNs, u"span"_s);
                    WriteTimes(xml, syllable.start, syllable.end);
                    xml.writeCharacters(XmlText(sung));
                    xml.writeEndElement();
                }
                if (length < syllable.text.size())
                    xml.writeCharacters(XmlText(QStringView(syllable.text).sliced(length)));
            }
        }
        xml.writeEndElement();
        xml.writeCharacters(u"\n"_s);
    }
    xml.writeEndElement();
    xml.writeCharacters(u"\n"_s);
    xml.writeEndElement();
    xml.writeCharacters(u"\n"_s);
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

namespace {

// A part of a line read: a span with its time (none for text outside the
// spans), and the reading's parts when it is a ruby container.
struct ReadPart
{
    QString text;
    ExactTime time;
    ExactTime end;
    bool ruby = false;
    QList<std::pair<QString, ExactTime>> kana;
};

struct ReadP
{
    ExactTime begin;
    ExactTime end;
    QList<ReadPart> parts;
};

// XML's blanks, each run of them one space, as a player shows them.
void AppendCollapsed(QString& to, QStringView text)
{
    for (const QChar c : text) {
        const bool blank = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
        if (!blank)
            to += c;
        else if (to.isEmpty() || to.back() != u' ')
            to += u' ';
    }
}

TimedLine LineOf(const ReadP& p, DroppedParts& dropped)
{
    // Empty spans go (a time without text sings nothing); blanks alone are
    // sung with the part before.
    QList<ReadPart> parts;
    for (const ReadPart& part : p.parts) {
        if (part.text.isEmpty())
            continue;
        if (!parts.isEmpty() && part.text.trimmed().isEmpty() && !part.ruby)
            parts.last().text += part.text;
        else
            parts.append(part);
    }
    // The line's blanks at either end are no part of it.
    while (!parts.isEmpty() && parts.first().text.startsWith(u' ')) {
        parts.first().text.remove(0, 1);
        if (parts.first().text.isEmpty())
            parts.removeFirst();
    }
    while (!parts.isEmpty() && parts.last().text.endsWith(u' ')) {
        parts.last().text.chop(1);
        if (parts.last().text.isEmpty())
            parts.removeLast();
    }
    TimedLine line;
    for (const ReadPart& part : parts)
        line.text += part.text;
    const qsizetype timedParts = std::count_if(
        parts.cbegin(), parts.cend(), [](const ReadPart& part) { return part.time.has_value(); });
    if (timedParts == 0 || (parts.size() == 1 && !parts.first().ruby)) {
        line.time = p.begin ? p.begin : (parts.isEmpty() ? std::nullopt : parts.first().time);
        for (const ReadPart& part : parts) {
            if (part.ruby)
                dropped.other = true; // a reading over a line timed as a whole
        }
        return line;
    }
    LineWords& words = line.words;
    words.text = line.text;
    qsizetype offset = 0;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const ReadPart& part = parts.at(i);
        words.starts.append(offset);
        const ExactTime time = i == 0 && !part.time ? p.begin : part.time;
        qsizetype kanaLength = 0;
        for (const auto& [kana, at] : part.kana)
            kanaLength += kana.size();
        if (part.ruby && kanaLength > 0 && kanaLength <= kLongestReading) {
            Reading reading{offset, part.text.size(), {}, {}};
            for (qsizetype k = 0; k < part.kana.size(); ++k) {
                if (part.kana.at(k).first.isEmpty())
                    continue;
                reading.starts.append(reading.kana.size());
                reading.kana += part.kana.at(k).first;
                const ExactTime at = part.kana.at(k).second;
                words.times.append(reading.starts.size() == 1 && !at ? time : at);
            }
            words.readings.append(reading);
        } else {
            if (part.ruby && kanaLength > 0)
                dropped.other = true;
            words.times.append(time);
        }
        offset += part.text.size();
    }
    line.time = words.times.first();
    if (!line.time)
        line.time = p.begin;
    words.times.first() = line.time;
    ExactTime end = p.end;
    for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
        if (part->end) {
            end = part->end;
            break;
        }
    }
    words.end = end;
    return line;
}

enum class Context
{
    Other,
    P,
    Span,
    RubyContainer,
    RubyBase,
    RubyTextContainer,
    RubyText,
};

// The rates the root element gives; what is not a positive number is left
// at TTML's default.
TtmlRates RatesOf(const QXmlStreamAttributes& attributes)
{
    const auto positive = [&](const QString& name) -> std::optional<qint64> {
        bool ok = false;
        const qint64 value = attributes.value(kTtpNs, name).trimmed().toLongLong(&ok);
        return ok && value > 0 && value < 1000000000 ? std::optional<qint64>(value) : std::nullopt;
    };
    TtmlRates rates;
    const auto frameRate = positive(u"frameRate"_s);
    if (frameRate) {
        rates.framesPerSecond = double(*frameRate);
        const QList<QStringView> multiplier =
            attributes.value(kTtpNs, u"frameRateMultiplier"_s).split(u' ', Qt::SkipEmptyParts);
        if (multiplier.size() == 2) {
            const qint64 numerator = multiplier.at(0).toLongLong();
            const qint64 denominator = multiplier.at(1).toLongLong();
            if (numerator > 0 && denominator > 0 && numerator < 1000000000 &&
                denominator < 1000000000)
                rates.framesPerSecond =
                    rates.framesPerSecond * double(numerator) / double(denominator);
        }
    }
    if (const auto tickRate = positive(u"tickRate"_s))
        rates.ticksPerSecond = *tickRate;
    else if (frameRate)
        rates.ticksPerSecond = std::max<qint64>(
            1, qint64(rates.framesPerSecond * double(positive(u"subFrameRate"_s).value_or(1))));
    return rates;
}

} // namespace

Result<SubtitleRead, SubtitleFault> ReadTtml(const QString& text)
{
    if (text.size() > kMaxSubtitleBytes)
        return SubtitleFault{1, SubtitleFaultKind::TooLarge};
    SubtitleRead read;
    QXmlStreamReader xml(text);
    const auto fault = [&](SubtitleFaultKind kind) {
        return SubtitleFault{int(std::max<qint64>(1, xml.lineNumber())), kind};
    };
    bool root = false;
    QList<Context> contexts;
    QList<ReadP> ps;
    ReadP p;
    QString firstAgent;
    int agents = 0;
    bool inTitle = false;
    bool inArtist = false;
    qint64 characters = 0;
    TtmlRates rates;

    const auto timeAttribute = [&](const QString& name, ExactTime& time) -> bool {
        const QStringView value = xml.attributes().value(name);
        if (value.isNull())
            return true;
        const auto ms = ParseTtmlTime(value, rates);
        if (!ms)
            return false;
        time = ClampToPosition(*ms);
        return true;
    };

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::Invalid)
            break;
        if (token == QXmlStreamReader::DTD) {
            // Refused before any entity it declares is used: no file of
            // lyrics needs one. The fault is where the declaration begins.
            const qsizetype at = std::max<qsizetype>(0, text.indexOf(u"<!DOCTYPE"_s));
            return SubtitleFault{int(QStringView(text).first(at).count(u'\n')) + 1,
                                 SubtitleFaultKind::BadStructure};
        }
        if (token == QXmlStreamReader::EntityReference)
            return fault(SubtitleFaultKind::BadStructure);
        if (token == QXmlStreamReader::StartElement) {
            const QStringView name = xml.name();
            if (!root) {
                if (name != u"tt" || (!xml.namespaceUri().isEmpty() && xml.namespaceUri() != kTtNs))
                    return SubtitleFault{1, SubtitleFaultKind::NotThisForm};
                root = true;
                rates = RatesOf(xml.attributes());
            }
            if (contexts.size() >= kDeepestElement)
                return fault(SubtitleFaultKind::BadStructure);
            const Context parent = contexts.isEmpty() ? Context::Other : contexts.last();
            const QStringView ruby = xml.attributes().value(kTtsNs, u"ruby"_s);
            for (const QXmlStreamAttribute& attribute : xml.attributes()) {
                if (attribute.name() == u"region")
                    read.dropped.positions = true;
                else if (attribute.name() == u"style" ||
                         (attribute.namespaceUri() == kTtsNs && attribute.name() != u"ruby"))
                    (parent == Context::Other ? read.dropped.styles : read.dropped.markup) = true;
                else if (attribute.namespaceUri() == kTtmNs && attribute.name() == u"role")
                    read.dropped.other = true; // background vocals and the like
            }
            Context context = Context::Other;
            if (name == u"p" && parent == Context::Other) {
                if (ps.size() >= kMaxLrcLines)
                    return fault(SubtitleFaultKind::TooLarge);
                p = ReadP();
                if (!timeAttribute(u"begin"_s, p.begin) || !timeAttribute(u"end"_s, p.end))
                    return fault(SubtitleFaultKind::BadTime);
                const QStringView agent = xml.attributes().value(kTtmNs, u"agent"_s);
                if (!agent.isEmpty() && agent != firstAgent)
                    read.dropped.other = true; // a line of another singer's
                context = Context::P;
            } else if (name == u"span" && parent != Context::Other) {
                ExactTime begin;
                ExactTime end;
                if (!timeAttribute(u"begin"_s, begin) || !timeAttribute(u"end"_s, end))
                    return fault(SubtitleFaultKind::BadTime);
                if (ruby == u"container" && (parent == Context::P || parent == Context::Span)) {
                    p.parts.append({{}, begin, end, true, {}});
                    context = Context::RubyContainer;
                } else if (ruby == u"base" && parent == Context::RubyContainer) {
                    context = Context::RubyBase;
                } else if (ruby == u"textContainer" && parent == Context::RubyContainer) {
                    context = Context::RubyTextContainer;
                } else if (ruby == u"text" && (parent == Context::RubyContainer ||
                                               parent == Context::RubyTextContainer)) {
                    p.parts.last().kana.append({{}, begin});
                    context = Context::RubyText;
                } else if (parent == Context::RubyText || parent == Context::RubyBase) {
                    context = parent; // spans inside a base or a reading hold its text
                } else {
                    if (begin)
                        p.parts.append({{}, begin, end, false, {}});
                    context = Context::Span;
                }
            } else if (name == u"br" && parent != Context::Other) {
                context = parent;
                if (parent == Context::RubyText)
                    p.parts.last().kana.last().first += u' ';
                else if (parent == Context::P || parent == Context::Span) {
                    if (p.parts.isEmpty())
                        p.parts.append({{}, std::nullopt, std::nullopt, false, {}});
                    AppendCollapsed(p.parts.last().text, u" ");
                }
            } else if (parent == Context::Other && name == u"title" &&
                       xml.namespaceUri() == kTtmNs) {
                inTitle = read.titles.title.isEmpty();
            } else if (parent == Context::Other && name == u"agent" &&
                       xml.namespaceUri() == kTtmNs) {
                if (++agents == 1)
                    firstAgent = xml.attributes().value(u"xml:id"_s).toString();
                else
                    read.dropped.other = true; // singers after the first
            } else if (parent == Context::Other && name == u"name" &&
                       xml.namespaceUri() == kTtmNs) {
                inArtist = agents == 1 && read.titles.artist.isEmpty();
            } else if (name == u"styling" || name == u"style") {
                read.dropped.styles = true;
            } else if (name == u"layout" || name == u"region") {
                read.dropped.positions = true;
            } else if (parent != Context::Other) {
                // Metadata, animation and the like inside a line: nothing
                // of them is sung.
                read.dropped.other = true;
                xml.skipCurrentElement();
                continue;
            }
            contexts.append(context);
            continue;
        }
        if (token == QXmlStreamReader::EndElement) {
            const Context context = contexts.isEmpty() ? Context::Other : contexts.takeLast();
            const bool wasP =
                context == Context::P && (contexts.isEmpty() || contexts.last() != Context::P);
            if (wasP && xml.name() == u"p")
                ps.append(std::move(p));
            inTitle = false;
            inArtist = false;
            continue;
        }
        if (token != QXmlStreamReader::Characters)
            continue;
        const QStringView chars = xml.text();
        if (inTitle)
            read.titles.title += chars.trimmed();
        if (inArtist)
            read.titles.artist += chars.trimmed();
        if (contexts.isEmpty())
            continue;
        characters += chars.size();
        if (characters > kMaxLrcCharacters)
            return fault(SubtitleFaultKind::TooLarge);
        switch (contexts.last()) {
        case Context::RubyBase:
            AppendCollapsed(p.parts.last().text, chars);
            break;
        case Context::RubyText:
            p.parts.last().kana.last().first += chars.trimmed();
            break;
        case Context::P:
        case Context::Span:
            // Text outside the spans is sung with the span before it, or
            // at the line's own time before the first.
            if (p.parts.isEmpty() || (p.parts.last().ruby && !chars.trimmed().isEmpty()))
                p.parts.append({{}, std::nullopt, std::nullopt, false, {}});
            AppendCollapsed(p.parts.last().text, chars);
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        if (!root)
            return SubtitleFault{1, SubtitleFaultKind::NotThisForm};
        return fault(SubtitleFaultKind::BadStructure);
    }
    if (!root)
        return SubtitleFault{1, SubtitleFaultKind::NotThisForm};

    QList<ShownLine> lines;
    lines.reserve(ps.size());
    qint64 key = 0;
    for (const ReadP& each : ps) {
        TimedLine line = LineOf(each, read.dropped);
        if (line.time)
            key = *line.time;
        lines.append({key, each.end.value_or(key), std::move(line)});
    }
    read.lines = LinesInTimeOrder(std::move(lines), read.dropped);
    return read;
}

} // namespace verselet
