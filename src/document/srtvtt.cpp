// SRT and WebVTT, written from a run and read into lines (subtitles.h).

#include "document/lrcexport.h"
#include "document/lrcformat.h"
#include "document/lrcimport.h"
#include "document/subtitlecues.h"
#include "document/subtitles.h"

#include <QStringView>

#include <algorithm>
#include <limits>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// "HH:MM:SS,mmm" (SRT) or "HH:MM:SS.mmm" (WebVTT); hours take as many
// digits as they need past two. A negative time is 0.
QString formatClock(qint32 milliseconds, char point)
{
    const qint64 t = std::max<qint64>(milliseconds, 0);
    return QString::asprintf("%02lld:%02lld:%02lld%c%03lld", t / 3600000, t / 60000 % 60,
                             t / 1000 % 60, point, t % 1000);
}

// A cue as both writers give it: the line's text, and its segments with
// times (none for a line timed as a whole).
struct Cue
{
    qint32 start = 0;
    qint32 end = 0;
    QString text;
    QList<LrcWord> marks;
};

// The song's cues as SubtitleCuesOf shows them, but for those that would
// last no time or show nothing: the cue before an empty line ends where it
// begins, so the screen is cleared there all the same.
QList<Cue> cuesOf(const SubtitleSource& source)
{
    QList<Cue> cues;
    for (const SubtitleCue& shown : SubtitleCuesOf(source)) {
        const KaraokeLine* line = shown.line;
        Cue cue{shown.start, shown.end, line ? line->text : source.song.startText, {}};
        // Words are only ever taken for the text they were made for.
        if (line && line->words.text == line->text && line->words.hasTimes())
            cue.marks = LrcWordsOf(line->words);
        if (cue.end > cue.start && !cue.text.trimmed().isEmpty())
            cues.append(std::move(cue));
    }
    return cues;
}

QString escapedForVtt(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&')
            out += u"&amp;"_s;
        else if (c == u'<')
            out += u"&lt;"_s;
        else if (c == u'>')
            out += u"&gt;"_s;
        else
            out += c;
    }
    return out;
}

// A cue's text with "<HH:MM:SS.mmm>" where each later segment begins. A
// timestamp stands inside its cue and after the one before it (the form
// asks it): a segment whose time is not is sung with the one before.
QString vttPayload(const Cue& cue)
{
    const QStringView text(cue.text);
    QString out;
    qint32 last = cue.start;
    qsizetype from = 0;
    for (const LrcWord& mark : cue.marks) {
        if (mark.milliseconds <= last || mark.milliseconds >= cue.end || mark.start < from ||
            mark.start > text.size())
            continue;
        out += escapedForVtt(text.sliced(from, mark.start - from));
        out += u'<' + formatClock(mark.milliseconds, '.') + u'>';
        from = mark.start;
        last = mark.milliseconds;
    }
    out += escapedForVtt(text.sliced(from));
    return out;
}

// ---- reading

// The text's lines one by one, whatever ends them, without copies.
class LineCursor final
{
public:
    explicit LineCursor(QStringView text) : m_text(text)
    {
        if (m_text.startsWith(QChar(0xFEFF)))
            m_pos = 1;
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    // The 1-based number of the line next() gave last.
    int number() const { return m_number; }
    QStringView next()
    {
        const qsizetype begin = m_pos;
        qsizetype end = begin;
        while (end < m_text.size() && m_text[end] != u'\n' && m_text[end] != u'\r')
            ++end;
        m_pos = end;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\r')
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == u'\n' && (m_pos == end || m_pos == end + 1))
            ++m_pos;
        ++m_number;
        return m_text.sliced(begin, end - begin);
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
    int m_number = 0;
};

// Where a character next stands from a place on, for scans that only move
// forward: each part of the line is searched once, however often asked.
class NextChar final
{
public:
    NextChar(QStringView text, QChar c) : m_text(text), m_c(c) {}
    qsizetype from(qsizetype pos)
    {
        if (m_at == kUnknown || (m_at >= 0 && m_at < pos))
            m_at = m_text.indexOf(m_c, pos);
        return m_at;
    }

private:
    static constexpr qsizetype kUnknown = -2;
    QStringView m_text;
    QChar m_c;
    qsizetype m_at = kUnknown;
};

bool allDigits(QStringView s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

// "[H…:]M[M]:S[S].f[f][f]" (SRT allows "," for the point); none for
// anything else, or past the largest time a position holds.
ExactTime parseClock(QStringView s, bool commaToo)
{
    qsizetype point = s.lastIndexOf(u'.');
    if (commaToo && point < 0)
        point = s.lastIndexOf(u',');
    if (point < 0)
        return std::nullopt;
    const QStringView fraction = s.sliced(point + 1);
    if (!allDigits(fraction) || fraction.size() > 3)
        return std::nullopt;
    qint64 total = 0;
    int fields = 0;
    for (const QStringView field : s.first(point).split(u':')) {
        const bool hours = fields == 0 && s.first(point).count(u':') == 2;
        if (!allDigits(field) || (!hours && field.size() > 2) || field.size() > 6)
            return std::nullopt;
        const qint64 value = field.toLongLong();
        if (!hours && value >= 60)
            return std::nullopt;
        total = total * 60 + value;
        ++fields;
    }
    if (fields < 2 || fields > 3)
        return std::nullopt;
    qint64 ms = fraction.toLongLong();
    for (qsizetype i = fraction.size(); i < 3; ++i)
        ms *= 10;
    total = total * 1000 + ms;
    if (total > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(total);
}

struct TimingLine
{
    qint32 start = 0;
    qint32 end = 0;
    bool settings = false; // anything after the end time
};

// "start --> end[ settings]"; none when either time is none.
std::optional<TimingLine> parseTimingLine(QStringView line, bool commaToo)
{
    const qsizetype arrow = line.indexOf(u"-->"_s);
    const QStringView rest = line.sliced(arrow + 3).trimmed();
    qsizetype blank = 0;
    while (blank < rest.size() && !rest[blank].isSpace())
        ++blank;
    const ExactTime start = parseClock(line.first(arrow).trimmed(), commaToo);
    const ExactTime end = parseClock(rest.first(blank), commaToo);
    if (!start || !end)
        return std::nullopt;
    return TimingLine{*start, *end, blank < rest.size()};
}

// A cue being read: its text as its lines are joined, and where the
// timestamps in it begin segments.
struct CueRead
{
    qint32 start = 0;
    qint32 end = 0;
    QString text;
    QList<LrcWord> marks;
    bool inReading = false; // inside <rt>…</rt>

    static CueRead at(const TimingLine& timing)
    {
        CueRead cue;
        cue.start = timing.start;
        cue.end = timing.end;
        return cue;
    }

    void beginLine()
    {
        if (!text.isEmpty())
            text += u' ';
    }
    // A segment begins here at this time; two at one place give the later.
    void mark(qint32 time)
    {
        const qsizetype at = text.size();
        if (!marks.isEmpty() && marks.last().start == at) {
            marks.last().milliseconds = time;
            return;
        }
        if (marks.isEmpty() && at > 0)
            marks.append({0, start});
        marks.append({at, time});
    }
    TimedLine finish()
    {
        std::optional<qint32> lineEnd = end;
        if (!marks.isEmpty() && marks.last().start == text.size()) {
            lineEnd = marks.last().milliseconds;
            marks.removeLast();
        }
        if (marks.size() == 1 && marks.first().milliseconds == start)
            marks.clear();
        return {start, text, WordsOfLrcLine({start, text, marks, lineEnd})};
    }
};

// A file's cues as lines in time order (LinesInTimeOrder).
Result<SubtitleRead, SubtitleFault> linesOf(QList<CueRead>& cues, DroppedParts dropped)
{
    QList<ShownLine> lines;
    lines.reserve(cues.size());
    for (CueRead& cue : cues)
        lines.append({cue.start, cue.end, cue.finish()});
    SubtitleRead read;
    read.dropped = dropped;
    read.lines = LinesInTimeOrder(std::move(lines), read.dropped);
    return read;
}

// Checks the size of what is read so far; a fault at `line` past it.
std::optional<SubtitleFault> tooLarge(const QList<CueRead>& cues, qint64 characters, int line)
{
    if (cues.size() > kMaxLrcLines || characters > kMaxLrcCharacters)
        return SubtitleFault{line, SubtitleFaultKind::TooLarge};
    return std::nullopt;
}

// A cue's timing line (SRT's when `commaToo`) begins a cue: a fault at
// `line` when it is no timing line or the cue is one too many.
std::optional<SubtitleFault> beginCue(QStringView timingLine, bool commaToo, int line,
                                      QList<CueRead>& cues, qint64 characters,
                                      DroppedParts& dropped)
{
    const std::optional<TimingLine> timing = parseTimingLine(timingLine, commaToo);
    if (!timing)
        return SubtitleFault{line, SubtitleFaultKind::BadTime};
    dropped.positions = dropped.positions || timing->settings;
    cues.append(CueRead::at(*timing));
    return tooLarge(cues, characters, line);
}

// An SRT cue's line of text without the markup players take from HTML and
// from ASS: <i>, <b>, <u>, <s>, <font …> and {\…} overrides. Anything else
// in angle brackets or braces is text.
void appendSrtText(QStringView line, CueRead& cue, DroppedParts& dropped)
{
    NextChar closeAngle(line, u'>');
    NextChar closeBrace(line, u'}');
    for (qsizetype p = 0; p < line.size(); ++p) {
        const QChar c = line[p];
        if (c == u'<') {
            qsizetype i = p + 1;
            if (i < line.size() && line[i] == u'/')
                ++i;
            qsizetype n = i;
            while (n < line.size() && n - i < 5 && line[n].isLetter())
                ++n;
            const QString name = line.sliced(i, n - i).toString().toLower();
            const bool simple =
                name == u"i"_s || name == u"b"_s || name == u"u"_s || name == u"s"_s;
            if (simple && n < line.size() && line[n] == u'>') {
                dropped.markup = true;
                p = n;
                continue;
            }
            if (name == u"font"_s && n < line.size() && (line[n] == u'>' || line[n].isSpace())) {
                if (const qsizetype close = closeAngle.from(n); close >= 0) {
                    dropped.styles = true;
                    p = close;
                    continue;
                }
            }
        } else if (c == u'{' && p + 1 < line.size() && line[p + 1] == u'\\') {
            if (const qsizetype close = closeBrace.from(p); close >= 0) {
                const QStringView inner = line.sliced(p + 1, close - p - 1);
                bool placed = inner.contains(u"\\an"_s) || inner.contains(u"\\pos"_s) ||
                              inner.contains(u"\\move"_s);
                for (qsizetype a = inner.indexOf(u"\\a"_s); a >= 0 && !placed;
                     a = inner.indexOf(u"\\a"_s, a + 1))
                    placed = a + 2 < inner.size() && inner[a + 2].isDigit();
                (placed ? dropped.positions : dropped.markup) = true;
                p = close;
                continue;
            }
        }
        cue.text += c;
    }
}

// "&amp;" and the other references a WebVTT text escapes with; none for an
// ampersand that begins none (it stands for itself).
std::optional<QString> entityAt(QStringView line, qsizetype p, qsizetype& length)
{
    qsizetype end = p + 1;
    while (end < line.size() && end - p < 12 && (line[end].isLetterOrNumber() || line[end] == u'#'))
        ++end;
    if (end >= line.size() || line[end] != u';')
        return std::nullopt;
    const QStringView name = line.sliced(p + 1, end - p - 1);
    length = end - p + 1;
    static const QList<std::pair<QString, QString>> named{
        {u"amp"_s, u"&"_s},  {u"lt"_s, u"<"_s},   {u"gt"_s, u">"_s}, {u"quot"_s, u"\""_s},
        {u"apos"_s, u"'"_s}, {u"nbsp"_s, u" "_s}, {u"lrm"_s, {}},    {u"rlm"_s, {}},
    };
    for (const auto& [key, value] : named)
        if (name == key)
            return value;
    if (name.startsWith(u'#') && name.size() > 1) {
        bool ok = false;
        const bool hex = name.size() > 2 && (name[1] == u'x' || name[1] == u'X');
        const uint code = (hex ? name.sliced(2) : name.sliced(1)).toUInt(&ok, hex ? 16 : 10);
        if (ok && code > 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
            const char32_t c = code == 0xA0 ? U' ' : char32_t(code);
            return QString::fromUcs4(&c, 1);
        }
    }
    return std::nullopt;
}

// A WebVTT cue's line of text: timestamps begin segments, tags go (<v …>
// names a speaker; <rt> holds a reading, which goes with it), references
// are decoded. False for a timestamp that is no time.
bool appendVttText(QStringView line, CueRead& cue, DroppedParts& dropped)
{
    for (qsizetype p = 0; p < line.size(); ++p) {
        const QChar c = line[p];
        if (c == u'<') {
            const qsizetype close = line.indexOf(u'>', p + 1);
            const QStringView inner = line.sliced(p + 1, (close < 0 ? line.size() : close) - p - 1);
            if (!inner.isEmpty() && inner[0].isDigit()) {
                const ExactTime time = close < 0 ? std::nullopt : parseClock(inner, false);
                if (!time)
                    return false;
                cue.mark(*time);
            } else {
                const bool ending = inner.startsWith(u'/');
                qsizetype n = ending ? 1 : 0;
                while (n < inner.size() && inner[n].isLetterOrNumber())
                    ++n;
                const QStringView name = inner.sliced(ending ? 1 : 0, n - (ending ? 1 : 0));
                if (name == u"rt"_s)
                    cue.inReading = !ending;
                (name == u"v"_s ? dropped.other : dropped.markup) = true;
            }
            if (close < 0)
                break;
            p = close;
            continue;
        }
        if (cue.inReading)
            continue;
        qsizetype length = 0;
        if (c == u'&') {
            if (const std::optional<QString> decoded = entityAt(line, p, length)) {
                cue.text += *decoded;
                p += length - 1;
                continue;
            }
        }
        cue.text += c;
    }
    return true;
}

} // namespace

QByteArray WriteSrt(const SubtitleSource& source)
{
    QString out;
    int number = 0;
    for (const Cue& cue : cuesOf(source)) {
        out += QString::number(++number) + u"\r\n"_s + formatClock(cue.start, ',') + u" --> "_s +
               formatClock(cue.end, ',') + u"\r\n"_s + cue.text + u"\r\n\r\n"_s;
    }
    return out.toUtf8();
}

QByteArray WriteWebVtt(const SubtitleSource& source)
{
    QString out = u"WEBVTT\n\n"_s;
    for (const Cue& cue : cuesOf(source)) {
        out += formatClock(cue.start, '.') + u" --> "_s + formatClock(cue.end, '.') + u'\n' +
               vttPayload(cue) + u"\n\n"_s;
    }
    return out.toUtf8();
}

Result<SubtitleRead, SubtitleFault> ReadSrt(const QString& text)
{
    if (text.size() > kMaxSubtitleBytes)
        return SubtitleFault{1, SubtitleFaultKind::TooLarge};
    enum class State
    {
        Between,
        AfterNumber,
        InText
    };
    State state = State::Between;
    int numberLine = 0;
    QList<CueRead> cues;
    qint64 characters = 0;
    DroppedParts dropped;
    LineCursor cursor(text);
    // Until a cue has been read, a line out of place says the file is not SRT.
    const auto broken = [&](int line) {
        return SubtitleFault{line, cues.isEmpty() ? SubtitleFaultKind::NotThisForm
                                                  : SubtitleFaultKind::BadStructure};
    };
    while (!cursor.atEnd()) {
        const QStringView line = cursor.next().trimmed();
        const int number = cursor.number();
        if (line.isEmpty()) {
            if (state == State::AfterNumber)
                return broken(numberLine);
            if (state == State::InText)
                characters += cues.last().text.size();
            state = State::Between;
            continue;
        }
        if (state == State::InText) {
            cues.last().beginLine();
            appendSrtText(line, cues.last(), dropped);
            continue;
        }
        if (!line.contains(u"-->"_s)) {
            if (state == State::Between && allDigits(line)) {
                state = State::AfterNumber;
                numberLine = number;
                continue;
            }
            return broken(number);
        }
        if (const auto fault = beginCue(line, true, number, cues, characters, dropped))
            return *fault;
        state = State::InText;
    }
    if (state == State::AfterNumber)
        return broken(numberLine);
    if (cues.isEmpty())
        return SubtitleFault{1, SubtitleFaultKind::NotThisForm};
    if (state == State::InText)
        characters += cues.last().text.size();
    if (const auto fault = tooLarge(cues, characters, cursor.number()))
        return *fault;
    return linesOf(cues, dropped);
}

Result<SubtitleRead, SubtitleFault> ReadWebVtt(const QString& text)
{
    if (text.size() > kMaxSubtitleBytes)
        return SubtitleFault{1, SubtitleFaultKind::TooLarge};
    LineCursor cursor(text);
    const QStringView signature = cursor.atEnd() ? QStringView() : cursor.next();
    if (!signature.startsWith(u"WEBVTT"_s) ||
        (signature.size() > 6 && signature[6] != u' ' && signature[6] != u'\t'))
        return SubtitleFault{1, SubtitleFaultKind::NotThisForm};
    DroppedParts dropped;
    dropped.other = !signature.sliced(6).trimmed().isEmpty();
    enum class State
    {
        Header,
        Between,
        AfterIdentifier,
        Skipping, // a NOTE, STYLE or REGION block
        InText
    };
    State state = State::Header;
    QList<CueRead> cues;
    qint64 characters = 0;
    while (!cursor.atEnd()) {
        const QStringView raw = cursor.next();
        const QStringView line = raw.trimmed();
        const int number = cursor.number();
        if (line.isEmpty()) {
            if (state == State::AfterIdentifier)
                return SubtitleFault{number, SubtitleFaultKind::BadStructure};
            if (state == State::InText)
                characters += cues.last().text.size();
            state = State::Between;
            continue;
        }
        switch (state) {
        case State::Header:
            dropped.other = true; // its metadata lines
            continue;
        case State::Skipping:
            continue;
        case State::InText:
            cues.last().beginLine();
            if (!appendVttText(line, cues.last(), dropped))
                return SubtitleFault{number, SubtitleFaultKind::BadTime};
            continue;
        case State::Between:
        case State::AfterIdentifier:
            break;
        }
        if (!line.contains(u"-->"_s)) {
            if (state == State::AfterIdentifier)
                return SubtitleFault{number, SubtitleFaultKind::BadStructure};
            const auto opens = [&](QStringView word) {
                return raw.startsWith(word) &&
                       (raw.size() == word.size() || raw[word.size()] == u' ' ||
                        raw[word.size()] == u'\t');
            };
            if (opens(u"NOTE"_s) || opens(u"STYLE"_s) || opens(u"REGION"_s)) {
                (opens(u"NOTE"_s)    ? dropped.other
                 : opens(u"STYLE"_s) ? dropped.styles
                                     : dropped.positions) = true;
                state = State::Skipping;
            } else {
                state = State::AfterIdentifier; // a cue's identifier: no part of a lyrics line
            }
            continue;
        }
        if (const auto fault = beginCue(line, false, number, cues, characters, dropped))
            return *fault;
        state = State::InText;
    }
    if (state == State::AfterIdentifier)
        return SubtitleFault{cursor.number() + 1, SubtitleFaultKind::BadStructure};
    if (state == State::InText)
        characters += cues.last().text.size();
    if (const auto fault = tooLarge(cues, characters, cursor.number()))
        return *fault;
    return linesOf(cues, dropped);
}

} // namespace verselet
