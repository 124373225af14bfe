#include "document/lrcformat.h"

#include "document/exacttimes.h"

#include <algorithm>
#include <limits>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

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
    qsizetype end = 0; // just after the closing bracket
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
    if (i < text.size() && (text.at(i) == u'.' || text.at(i) == u',' || text.at(i) == u':')) {
        const bool hundredths = text.at(i) == u':';
        fraction = readDigits(text, i + 1, hundredths ? 2 : 3, n);
        if (n == 0 || (hundredths && n != 2))
            return std::nullopt;
        for (qsizetype scale = n; scale < 3; ++scale)
            fraction *= 10;
        i += 1 + n;
        // Digits past the millisecond say nothing a stamp can keep.
        while (!hundredths && i < text.size() && isDigit(text.at(i)))
            ++i;
    }
    if (i >= text.size() || text.at(i) != close)
        return std::nullopt;
    return TimeMark{(minutes * 60 + seconds) * 1000 + fraction, i + 1};
}

// A line's text without its word marks, the words they begin (times not yet
// offset), and the end a last mark gives.
struct MarkedText
{
    QString text;
    QList<qint64> starts;
    QList<qint64> times;
    std::optional<qint64> end;
};

MarkedText readWordMarks(QStringView text)
{
    MarkedText out;
    out.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (const auto mark = readTimeMark(text, i, u'<', u'>')) {
            // Two marks at one place: the later one counts.
            if (!out.starts.isEmpty() && out.starts.last() == out.text.size())
                out.times.last() = mark->milliseconds;
            else {
                out.starts.append(out.text.size());
                out.times.append(mark->milliseconds);
            }
            i = mark->end;
            continue;
        }
        out.text += text.at(i++);
    }
    if (!out.starts.isEmpty() && out.starts.last() == out.text.size()) {
        out.end = out.times.takeLast();
        out.starts.removeLast();
    }
    return out;
}

QString wordMark(qint32 milliseconds)
{
    QString mark = FormatLrcTime(milliseconds);
    mark.front() = u'<';
    mark.back() = u'>';
    return mark;
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

// Blanks, and byte order marks: a file saved twice with one, or files joined
// together, carry a second one at the start of a line.
bool isLeadingFiller(QChar c) { return c == u' ' || c == u'\t' || c == QChar(0xFEFF); }

qsizetype skipFiller(QStringView line, qsizetype at)
{
    while (at < line.size() && isLeadingFiller(line.at(at)))
        ++at;
    return at;
}

} // namespace

QString FormatLrcTime(qint32 milliseconds)
{
    const qint32 ms = std::max<qint32>(milliseconds, 0);
    const qint32 seconds = ms / 1000;
    return u"[%1:%2.%3]"_s.arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000 / 10, 2, 10, QLatin1Char('0'));
}

QString ComposeLrc(const LrcDocument& document, LrcFlavour flavour)
{
    QString out;
    for (const auto& [key, value] : {std::pair{u"ti"_s, &document.title}, std::pair{u"ar"_s, &document.artist},
                                     std::pair{u"al"_s, &document.album}}) {
        if (!value->isEmpty())
            out += u"[%1:%2]\n"_s.arg(key, *value);
    }
    out += u"[re:Verselet]\n"_s;
    if (!document.startText.isEmpty())
        out += FormatLrcTime(0) + document.startText + u'\n';
    for (const LrcLine& line : document.lines) {
        out += FormatLrcTime(line.milliseconds);
        if (flavour == LrcFlavour::Plain || line.words.isEmpty()) {
            out += line.text + u'\n';
            continue;
        }
        out += QStringView(line.text).first(std::clamp<qsizetype>(line.words.first().start, 0, line.text.size()));
        for (qsizetype w = 0; w < line.words.size(); ++w) {
            const qsizetype from = std::clamp<qsizetype>(line.words.at(w).start, 0, line.text.size());
            const qsizetype to = w + 1 < line.words.size()
                                     ? std::clamp<qsizetype>(line.words.at(w + 1).start, from, line.text.size())
                                     : line.text.size();
            out += wordMark(line.words.at(w).milliseconds);
            out += QStringView(line.text).sliced(from, to - from);
        }
        if (line.endMilliseconds)
            out += wordMark(*line.endMilliseconds);
        out += u'\n';
    }
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
    };
    QList<Timed> timed;
    // A line with many tags gives a line for each, all of its text: the size
    // of the document is counted as it grows, before it is built.
    qint64 characters = 0;
    LrcDocument lrc;
    qint64 offset = 0;
    for (const QStringView line : QStringView(content).split(u"\r\n")) {
        qsizetype at = skipFiller(line, 0);
        QList<qint64> times;
        while (const auto mark = readTimeMark(line, at, u'[', u']')) {
            if (timed.size() + times.size() >= kMaxLrcLines)
                return std::nullopt;
            times.append(mark->milliseconds);
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
            for (const qint64 ms : times)
                timed.append({ms, marked});
            continue;
        }
        const auto meta = readMetadata(line.sliced(at).trimmed());
        if (!meta)
            continue;
        if (meta->key == u"ti")
            lrc.title = meta->value;
        else if (meta->key == u"ar")
            lrc.artist = meta->value;
        else if (meta->key == u"al")
            lrc.album = meta->value;
        else if (meta->key == u"offset") {
            bool ok = false;
            const qint64 value = meta->value.toLongLong(&ok);
            // Past a day either way it is no offset any song has; bounded,
            // the subtraction below cannot overflow.
            if (ok)
                offset = std::clamp<qint64>(value, -kMaxLrcOffsetMs, kMaxLrcOffsetMs);
        }
    }
    if (timed.isEmpty())
        return std::nullopt;

    std::stable_sort(timed.begin(), timed.end(),
                     [](const Timed& a, const Timed& b) { return a.ms < b.ms; });
    lrc.lines.reserve(timed.size());
    const auto shifted = [offset](qint64 ms) { return ClampToPosition(ms - offset); };
    for (const Timed& line : timed) {
        LrcLine& added = lrc.lines.emplace_back(LrcLine{shifted(line.ms), line.marked.text, {}, std::nullopt});
        const MarkedText& marked = line.marked;
        if (marked.starts.isEmpty())
            continue;
        // Text before the first mark is sung at the line's own time.
        if (marked.starts.first() > 0)
            added.words.append({0, added.milliseconds});
        for (qsizetype w = 0; w < marked.starts.size(); ++w)
            added.words.append({marked.starts.at(w), shifted(marked.times.at(w))});
        if (marked.end)
            added.endMilliseconds = shifted(*marked.end);
    }
    // An empty line at 0 clears the screen like any timed blank line: it stays
    // a line, so that writing the file back gives it again.
    // A line timed word by word stays a line, or its words would be lost.
    if (lrc.lines.constFirst().milliseconds == 0 && !lrc.lines.constFirst().text.isEmpty() &&
        lrc.lines.constFirst().words.isEmpty())
        lrc.startText = lrc.lines.takeFirst().text;
    return lrc;
}

} // namespace verselet
