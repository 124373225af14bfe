#include "document/lrcformat.h"

#include "document/exacttimes.h"

#include <algorithm>
#include <limits>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The digits from `at` on, at most `most` of them; their count is `length`.
qint64 readDigits(QStringView text, qsizetype at, qsizetype most, qsizetype& length)
{
    qint64 value = 0;
    length = 0;
    while (at + length < text.size() && length < most && isDigit(text.at(at + length))) {
        value = value * 10 + (text.at(at + length).unicode() - u'0');
        ++length;
    }
    return value;
}

struct TimeMark
{
    qint64 milliseconds = 0;
    qsizetype end = 0;        // just after the closing bracket
    bool thousandths = false; // written with three decimals or more
};

// A time between `open` and `close` at `at`: minutes of any length, ":", one
// or two digits of seconds below 60, then nothing, "." (or ",", as some
// programs write it) and one or more digits of a fraction, of which the first
// three count, or ":" and two digits of hundredths.
std::optional<TimeMark> readTimeMark(QStringView text, qsizetype at, QChar open, QChar close)
{
    if (at >= text.size() || text.at(at) != open)
        return std::nullopt;
    qsizetype i = at + 1;
    qsizetype n = 0;
    // Nine digits of minutes are more than any track; more are not a time.
    const qint64 minutes = readDigits(text, i, 9, n);
    if (n == 0 || i + n >= text.size() || text.at(i + n) != u':')
        return std::nullopt;
    i += n + 1;
    const qint64 seconds = readDigits(text, i, 2, n);
    if (n == 0 || seconds >= 60)
        return std::nullopt;
    i += n;
    qint64 fraction = 0;
    bool thousandths = false;
    if (i < text.size() && (text.at(i) == u'.' || text.at(i) == u',' || text.at(i) == u':')) {
        const bool hundredths = text.at(i) == u':';
        fraction = readDigits(text, i + 1, hundredths ? 2 : 3, n);
        if (n == 0 || (hundredths && n != 2))
            return std::nullopt;
        thousandths = n == 3;
        for (qsizetype scale = n; scale < 3; ++scale)
            fraction *= 10;
        i += 1 + n;
        // Digits past the millisecond say nothing a stamp can keep.
        while (!hundredths && i < text.size() && isDigit(text.at(i)))
            ++i;
    }
    if (i >= text.size() || text.at(i) != close)
        return std::nullopt;
    return TimeMark{(minutes * 60 + seconds) * 1000 + fraction, i + 1, thousandths};
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

qsizetype skipBlanks(QStringView text, qsizetype at)
{
    while (at < text.size() && isBlank(text.at(at)))
        ++at;
    return at;
}

// A line's text without its word marks, the words they begin (times not yet
// offset), and the end a last mark gives.
struct MarkedText
{
    QString text;
    QList<qint64> starts;
    QList<qint64> times;
    std::optional<qint64> end;
    bool thousandths = false; // a mark had three decimals
    bool spaced = false;      // blanks stood between the tag and the first mark
};

// Many files set their marks apart: "[t] <t> word <t> word <t>". There the
// blanks before the first mark, those after a mark that follows a blank (or
// begins the text), and those before the end mark are no part of the text,
// so the words are "word " and "word" as in "[t]<t>word <t>word<t>".
MarkedText readWordMarks(QStringView text)
{
    MarkedText out;
    out.text.reserve(text.size());
    qsizetype i = 0;
    if (const qsizetype first = skipBlanks(text, 0);
        first > 0 && readTimeMark(text, first, u'<', u'>')) {
        out.spaced = true;
        i = first;
    }
    while (i < text.size()) {
        if (const auto mark = readTimeMark(text, i, u'<', u'>')) {
            // Two marks at one place: the later one counts.
            if (!out.starts.isEmpty() && out.starts.last() == out.text.size())
                out.times.last() = mark->milliseconds;
            else {
                out.starts.append(out.text.size());
                out.times.append(mark->milliseconds);
            }
            out.thousandths = out.thousandths || mark->thousandths;
            i = mark->end;
            if (out.spaced && (out.text.isEmpty() || isBlank(out.text.back())))
                i = skipBlanks(text, i);
            continue;
        }
        out.text += text.at(i++);
    }
    if (out.starts.isEmpty() || out.starts.last() != out.text.size())
        return out;
    out.end = out.times.takeLast();
    out.starts.removeLast();
    if (out.spaced) {
        while (!out.text.isEmpty() && isBlank(out.text.back()))
            out.text.chop(1);
        // A word of blanks alone before the end is the end's.
        while (!out.starts.isEmpty() && out.starts.last() >= out.text.size()) {
            out.starts.removeLast();
            out.times.removeLast();
        }
    }
    return out;
}

QString wordMark(qint32 milliseconds, LrcPrecision precision)
{
    QString mark = FormatLrcTime(milliseconds, precision);
    mark.front() = u'<';
    mark.back() = u'>';
    return mark;
}

// A line as enhanced LRC writes it: a mark where each word begins, and one
// at the line's own time before any text no word begins (a reader that times
// word by word takes a line without a mark for no lyric at all); set apart
// by blanks where the file read had them so and the line's words allow it
// (each but the last ends with a blank, none begins with one, and the last
// ends without one when an end follows).
QString enhancedLine(const LrcLine& line, LrcPrecision precision, bool spaced)
{
    QString out = FormatLrcTime(line.milliseconds, precision);
    if (line.text.isEmpty())
        return out;
    struct Piece
    {
        qint32 milliseconds;
        QStringView text;
    };
    QList<Piece> pieces;
    const QStringView text(line.text);
    const auto startOf = [&](qsizetype w) {
        return std::clamp<qsizetype>(line.words.at(w).start, 0, text.size());
    };
    if (line.words.isEmpty() || startOf(0) > 0)
        pieces.append(
            {line.milliseconds, text.first(line.words.isEmpty() ? text.size() : startOf(0))});
    for (qsizetype w = 0; w < line.words.size(); ++w) {
        const qsizetype from = startOf(w);
        const qsizetype to =
            w + 1 < line.words.size() ? std::max(from, startOf(w + 1)) : text.size();
        pieces.append({line.words.at(w).milliseconds, text.sliced(from, to - from)});
    }
    const bool hasEnd = line.endMilliseconds && !line.words.isEmpty();
    for (qsizetype p = 0; spaced && p < pieces.size(); ++p) {
        const QStringView piece = pieces.at(p).text;
        const bool last = p + 1 == pieces.size();
        spaced = !piece.isEmpty() && !isBlank(piece.front()) &&
                 (last ? !(hasEnd && isBlank(piece.back())) : isBlank(piece.back()));
    }
    if (spaced)
        out += u' ';
    for (const Piece& piece : pieces) {
        out += wordMark(piece.milliseconds, precision);
        if (spaced)
            out += u' ';
        out += piece.text;
    }
    if (hasEnd) {
        if (spaced)
            out += u' ';
        out += wordMark(*line.endMilliseconds, precision);
    }
    return out;
}

struct Metadata
{
    QString key; // lower case
    QString value;
};

// "[key:value]" filling the whole line, the key made of letters.
std::optional<Metadata> readMetadata(QStringView line)
{
    if (!line.startsWith(u'[') || !line.endsWith(u']'))
        return std::nullopt;
    const qsizetype colon = line.indexOf(u':');
    if (colon < 2)
        return std::nullopt;
    const QStringView key = line.sliced(1, colon - 1);
    if (!std::all_of(key.begin(), key.end(), [](QChar c) { return c.isLetter(); }))
        return std::nullopt;
    return Metadata{key.toString().toLower(),
                    line.sliced(colon + 1, line.size() - colon - 2).trimmed().toString()};
}

// The number of an [offset:]; none for any other line, or one that says no
// number (it is kept as it stands, like any other).
std::optional<qint64> offsetOf(const Metadata& meta)
{
    if (meta.key != u"offset")
        return std::nullopt;
    bool ok = false;
    const qint64 value = meta.value.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// Blanks, and byte order marks: a file saved twice with one, or files joined
// together, carry a second one at the start of a line.
bool isLeadingFiller(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0xFEFF);
}

qsizetype skipFiller(QStringView line, qsizetype at)
{
    while (at < line.size() && isLeadingFiller(line.at(at)))
        ++at;
    return at;
}

} // namespace

QString FormatLrcTime(qint32 milliseconds, LrcPrecision precision)
{
    const qint32 ms = std::max<qint32>(milliseconds, 0);
    const qint32 seconds = ms / 1000;
    const bool thousandths = precision == LrcPrecision::Milliseconds;
    return u"[%1:%2.%3]"_s.arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(thousandths ? ms % 1000 : ms % 1000 / 10, thousandths ? 3 : 2, 10, QLatin1Char('0'));
}

QString ComposeLrc(const LrcDocument& document, LrcFlavour flavour)
{
    QString out;
    for (const auto& [key, value] :
         {std::pair{u"ti"_s, &document.title}, std::pair{u"ar"_s, &document.artist},
          std::pair{u"al"_s, &document.album}}) {
        if (!value->isEmpty())
            out += u"[%1:%2]\n"_s.arg(key, *value);
    }
    for (const QString& line : document.origin.metadata)
        out += line + u'\n';
    out += u"[re:Verselet]\n"_s;
    const LrcPrecision precision = document.origin.precision;
    const auto append = [&](const LrcLine& line) {
        if (flavour == LrcFlavour::Plain)
            out += FormatLrcTime(line.milliseconds, precision) + line.text;
        else
            out += enhancedLine(line, precision, document.origin.spacedWordMarks);
        out += u'\n';
    };
    if (!document.startText.isEmpty())
        append(LrcLine{0, document.startText, {}, std::nullopt});
    for (const LrcLine& line : document.lines)
        append(line);
    return out;
}

QByteArray EncodeLrc(const LrcDocument& document, LrcFlavour flavour)
{
    return ComposeLrc(document, flavour).toUtf8();
}

std::optional<LrcDocument> ParseLrc(const QString& content)
{
    struct Timed
    {
        qint64 ms;
        MarkedText marked;
        // The words' marks were written for the line's first tag: a repeat
        // sings them this much later.
        qint64 repeatedAfter;
    };
    QList<Timed> timed;
    // A line with many tags gives a line for each, all of its text: the size
    // of the document is counted as it grows, before it is built.
    qint64 characters = 0;
    LrcDocument lrc;
    LrcOrigin& origin = lrc.origin;
    qint64 offset = 0;
    for (const QStringView line : QStringView(content).split(u"\r\n")) {
        qsizetype at = skipFiller(line, 0);
        QList<qint64> times;
        while (const auto mark = readTimeMark(line, at, u'[', u']')) {
            if (timed.size() + times.size() >= kMaxLrcLines)
                return std::nullopt;
            times.append(mark->milliseconds);
            if (mark->thousandths)
                origin.precision = LrcPrecision::Milliseconds;
            at = mark->end;
            // Blanks between two tags belong to neither; before the text
            // they are the text's.
            const qsizetype next = skipFiller(line, at);
            if (next > at && readTimeMark(line, next, u'[', u']'))
                at = next;
        }
        if (!times.isEmpty()) {
            const MarkedText marked = readWordMarks(line.sliced(at));
            characters += qint64(marked.text.size()) * times.size();
            if (characters > kMaxLrcCharacters)
                return std::nullopt;
            if (marked.thousandths)
                origin.precision = LrcPrecision::Milliseconds;
            origin.spacedWordMarks = origin.spacedWordMarks || marked.spaced;
            for (const qint64 ms : times)
                timed.append({ms, marked, ms - times.first()});
            continue;
        }
        const QStringView metaLine = line.sliced(at).trimmed();
        const auto meta = readMetadata(metaLine);
        if (!meta)
            continue;
        if (meta->key == u"ti")
            lrc.title = meta->value;
        else if (meta->key == u"ar")
            lrc.artist = meta->value;
        else if (meta->key == u"al")
            lrc.album = meta->value;
        else if (meta->key == u"re")
            continue; // the program that writes the file names itself
        else if (const std::optional<qint64> value = offsetOf(*meta)) {
            // Past a day either way it is no offset any song has; bounded,
            // the subtraction below cannot overflow.
            offset = std::clamp<qint64>(*value, -kMaxLrcOffsetMs, kMaxLrcOffsetMs);
            origin.offsetApplied = true;
        } else
            origin.metadata.append(metaLine.toString());
    }
    if (timed.isEmpty())
        return std::nullopt;

    std::stable_sort(timed.begin(), timed.end(),
                     [](const Timed& a, const Timed& b) { return a.ms < b.ms; });
    lrc.lines.reserve(timed.size());
    const auto shifted = [offset](qint64 ms) { return ClampToPosition(ms - offset); };
    for (const Timed& line : timed) {
        LrcLine& added =
            lrc.lines.emplace_back(LrcLine{shifted(line.ms), line.marked.text, {}, std::nullopt});
        const MarkedText& marked = line.marked;
        if (marked.starts.isEmpty())
            continue;
        // Text before the first mark is sung at the line's own time.
        if (marked.starts.first() > 0)
            added.words.append({0, added.milliseconds});
        for (qsizetype w = 0; w < marked.starts.size(); ++w)
            added.words.append(
                {marked.starts.at(w), shifted(marked.times.at(w) + line.repeatedAfter)});
        if (marked.end)
            added.endMilliseconds = shifted(*marked.end + line.repeatedAfter);
        // One mark at the line's own time, and no end: a line timed as a
        // whole, as enhanced LRC writes one.
        if (added.words.size() == 1 && !added.endMilliseconds &&
            added.words.first() == LrcWord{0, added.milliseconds})
            added.words.clear();
    }
    // An empty line at 0 clears the screen like any timed blank line: it stays
    // a line, so that writing the file back gives it again.
    // A line timed word by word stays a line, or its words would be lost.
    if (lrc.lines.constFirst().milliseconds == 0 && !lrc.lines.constFirst().text.isEmpty() &&
        lrc.lines.constFirst().words.isEmpty())
        lrc.startText = lrc.lines.takeFirst().text;
    return lrc;
}

bool HasWordTimes(const LrcDocument& lrc)
{
    return std::any_of(lrc.lines.cbegin(), lrc.lines.cend(),
                       [](const LrcLine& line) { return !line.words.isEmpty(); });
}

} // namespace verselet
