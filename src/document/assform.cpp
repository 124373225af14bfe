#include "document/assform.h"

#include "document/lrcformat.h"
#include "document/subtitlecues.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <utility>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// What the writer names its two styles; the reader takes a style whose
// name holds either word for the readings of the line it stands over.
const QString kLyricsStyle = u"Lyrics"_s;
const QString kRubyStyle = u"Ruby"_s;

bool IsRubyStyle(QStringView name)
{
    return name.contains(u"ruby", Qt::CaseInsensitive) ||
           name.contains(u"furigana", Qt::CaseInsensitive);
}

// Braces open and close override blocks and a backslash before N, n or h
// breaks or holds a line, in any text; no reader takes them back as
// written, so they are written as their full-width forms (one UTF-16 unit
// each, as the originals: a segment stays where it was).
QString EscapeAssText(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'{')
            out += u'｛';
        else if (c == u'}')
            out += u'｝';
        else if (c == u'\\' && i + 1 < text.size() &&
                 (text.at(i + 1) == u'N' || text.at(i + 1) == u'n' || text.at(i + 1) == u'h'))
            out += u'＼';
        else if (c == u'\r' || c == u'\n')
            out += u' ';
        else
            out += c;
    }
    return out;
}

QString OneLine(const QString& text)
{
    QString out = text;
    out.replace(u'\r', u' ').replace(u'\n', u' ');
    return out;
}

// A syllable written: its text, and from when to when it is sung, in
// hundredths; the segment it begins with (-1 for a line timed as a whole).
struct WrittenSyllable
{
    QString text;
    qint64 startCs = 0;
    qint64 endCs = 0;
    qsizetype segment = -1;
};

QString KaraokeTag(QStringView tag, qint64 centiseconds)
{
    return u"{\\"_s + tag.toString() + QString::number(std::max<qint64>(0, centiseconds)) + u'}';
}

QString DialogueLine(qint64 startCs, qint64 endCs, const QString& style, const QString& text)
{
    return u"Dialogue: 0,"_s + FormatAssTime(startCs) + u',' + FormatAssTime(endCs) + u',' + style +
           u",,0,0,0,,"_s + text + u"\r\n"_s;
}

// Whether every character of a line stands one em wide in a Japanese font
// (kanji, kana, full-width forms and CJK punctuation): only then is it
// known, without the font, where each part of the line stands.
bool AllFullWidth(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3000 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
               (u >= 0xFF01 && u <= 0xFF60) || (u >= 0xFFE0 && u <= 0xFFE6);
    });
}

// The reading line over a line: each reading's kana timed as its segment's
// units are, the time between readings as \k tags, and a blank between two
// readings so that a reader can tell them apart. Empty when the line has no
// reading it can time.
//
// Over a line all of full-width characters each reading stands centred
// over its base: the reading type is half the line's, so a character of the
// base is two kana wide, and the room between readings is an ideographic
// space as wide as it (\fscx); a reading longer than its base is narrowed
// to it. Over other lines the readings stand one after another, the whole
// centred over the line.
QString RubyText(const QString& lineText, const LineWords& words,
                 const QList<WrittenSyllable>& syllables)
{
    const bool aligned = AllFullWidth(lineText);
    QString out;
    int scale = 100; // the \fscx in effect, in per cent
    const auto tag = [&](QStringView name, qint64 centiseconds, int newScale) {
        QString written =
            u"{\\"_s + name.toString() + QString::number(std::max<qint64>(0, centiseconds));
        if (newScale != scale)
            written += u"\\fscx"_s + QString::number(newScale);
        scale = newScale;
        return written + u'}';
    };
    // The time and, over a full-width line, the room (in kana) before the
    // next reading.
    qint64 gap = 0;
    double room = 0;
    bool afterReading = false;
    bool anyReading = false;
    const auto writeGap = [&] {
        if (aligned && (room > 0 || afterReading))
            out += tag(u"k", gap, int(std::lround(room * 100))) + u'\u3000';
        else if (gap > 0 || afterReading)
            out += KaraokeTag(u"k", gap) + (afterReading ? u" "_s : QString());
        gap = 0;
        room = 0;
    };
    for (const WrittenSyllable& syllable : syllables) {
        const Reading* reading =
            syllable.segment >= 0 ? words.readingOf(syllable.segment) : nullptr;
        const double width = 2.0 * syllable.text.size();
        if (reading == nullptr || reading->kana.isEmpty() || reading->starts.isEmpty()) {
            gap += syllable.endCs - syllable.startCs;
            room += width;
            continue;
        }
        const double kana = double(reading->kana.size());
        const double margin = std::max(0.0, (width - kana) / 2);
        room += margin;
        writeGap();
        const int kanaScale = kana > width ? int(std::lround(100 * width / kana)) : 100;
        // Each part of the reading from its unit's time (one without a time
        // is sung with the part before) to the next part's.
        const qsizetype first = words.firstUnitOf(syllable.segment);
        QList<std::pair<QString, qint64>> parts;
        for (qsizetype mora = 0; mora < reading->starts.size(); ++mora) {
            const qsizetype from = reading->starts.at(mora);
            const qsizetype to = mora + 1 < reading->starts.size() ? reading->starts.at(mora + 1)
                                                                   : reading->kana.size();
            const QString part = reading->kana.sliced(from, to - from);
            const ExactTime time = words.timeOf(first + mora);
            if (mora > 0 && !time) {
                parts.last().first += part;
                continue;
            }
            qint64 at = mora == 0 ? syllable.startCs : AssCentiseconds(*time);
            at = std::clamp(at, parts.isEmpty() ? syllable.startCs : parts.last().second,
                            syllable.endCs);
            parts.append({part, at});
        }
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const qint64 end = i + 1 < parts.size() ? parts.at(i + 1).second : syllable.endCs;
            out += (aligned ? tag(u"kf", end - parts.at(i).second, kanaScale)
                            : KaraokeTag(u"kf", end - parts.at(i).second)) +
                   EscapeAssText(parts.at(i).first);
        }
        room = margin;
        afterReading = true;
        anyReading = true;
    }
    if (!anyReading)
        return {};
    afterReading = false;
    if (gap > 0 || (aligned && room > 0))
        writeGap();
    return out;
}

} // namespace

qint64 AssCentiseconds(qint32 milliseconds)
{
    return (qint64(std::max(milliseconds, 0)) + 5) / 10;
}

QString FormatAssTime(qint64 centiseconds)
{
    centiseconds = std::max<qint64>(centiseconds, 0);
    const qint64 hours = centiseconds / 360000;
    const qint64 minutes = centiseconds / 6000 % 60;
    const qint64 seconds = centiseconds / 100 % 60;
    return u"%1:%2:%3.%4"_s.arg(hours)
        .arg(minutes, 2, 10, QChar(u'0'))
        .arg(seconds, 2, 10, QChar(u'0'))
        .arg(centiseconds % 100, 2, 10, QChar(u'0'));
}

std::optional<qint64> ParseAssTime(QStringView text)
{
    const auto number = [](QStringView digits, qsizetype most) -> std::optional<qint64> {
        if (digits.isEmpty() || digits.size() > most)
            return std::nullopt;
        qint64 value = 0;
        for (const QChar c : digits) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            value = value * 10 + (c.unicode() - u'0');
        }
        return value;
    };
    const qsizetype firstColon = text.indexOf(u':');
    const qsizetype secondColon = firstColon < 0 ? -1 : text.indexOf(u':', firstColon + 1);
    const qsizetype dot = secondColon < 0 ? -1 : text.indexOf(u'.', secondColon + 1);
    if (dot < 0)
        return std::nullopt;
    const auto hours = number(text.first(firstColon), 6);
    const auto minutes = number(text.sliced(firstColon + 1, secondColon - firstColon - 1), 2);
    const auto seconds = number(text.sliced(secondColon + 1, dot - secondColon - 1), 2);
    const QStringView fractionText = text.sliced(dot + 1);
    const auto fraction = number(fractionText, 3);
    if (!hours || !minutes || !seconds || !fraction || *minutes > 59 || *seconds > 59)
        return std::nullopt;
    qint64 ms = *fraction;
    for (qsizetype i = fractionText.size(); i < 3; ++i)
        ms *= 10;
    return ((*hours * 60 + *minutes) * 60 + *seconds) * 1000 + ms;
}

QByteArray WriteAss(const SubtitleSource& source)
{
    const KaraokeDocument& song = source.song;
    QString out;
    out += u"[Script Info]\r\n"_s;
    out += u"; Lyrics timed word by word: each line's syllables fill as they are sung, "
           u"with the readings above them\r\n"_s;
    out += u"Title: "_s + OneLine(song.title) + u"\r\n"_s;
    out += u"ScriptType: v4.00+\r\n"_s;
    out += u"WrapStyle: 0\r\n"_s;
    out += u"ScaledBorderAndShadow: yes\r\n"_s;
    out += u"PlayResX: 1920\r\nPlayResY: 1080\r\n\r\n"_s;
    // Karaoke fills from the secondary colour (white, not yet sung) to the
    // primary (sung). The readings stand centred over the lyric line, one
    // line of smaller type above it: where each reading falls over its
    // base depends on the font a player has, so no \pos is given.
    out += u"[V4+ Styles]\r\n"_s;
    out += u"Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
           u"BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
           u"BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\r\n"_s;
    out += u"Style: "_s + kLyricsStyle +
           u",Noto Sans CJK JP,72,&H00FF8000,&H00FFFFFF,&H00000000,&H80000000,0,0,0,0,100,100,"
           u"0,0,1,4,0,2,60,60,60,1\r\n"_s;
    out += u"Style: "_s + kRubyStyle +
           u",Noto Sans CJK JP,36,&H00FF8000,&H00FFFFFF,&H00000000,&H80000000,0,0,0,0,100,100,"
           u"0,0,1,2,0,2,60,60,150,1\r\n\r\n"_s;
    out += u"[Events]\r\n"_s;
    out += u"Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
           u"Text\r\n"_s;

    for (const SubtitleCue& cue : SubtitleCuesOf(source)) {
        const qint64 startCs = AssCentiseconds(cue.start);
        qint64 endCs = AssCentiseconds(cue.end);
        if (cue.line == nullptr) {
            out += DialogueLine(startCs, endCs, kLyricsStyle,
                                KaraokeTag(u"kf", endCs - startCs) + EscapeAssText(song.startText));
            continue;
        }
        const KaraokeLine& line = *cue.line;
        const LineWords& words = line.words;

        QList<WrittenSyllable> syllables;
        if (words.hasTimes() && words.text == line.text && words.segmentCount() > 0) {
            for (qsizetype segment = 0; segment < words.segmentCount(); ++segment) {
                const QString text = words.segmentText(segment).toString();
                const ExactTime time =
                    segment == 0 ? line.time : words.timeOf(words.firstUnitOf(segment));
                if (!time) {
                    syllables.last().text += text;
                    continue;
                }
                const qint64 at = segment == 0
                                      ? startCs
                                      : std::max(AssCentiseconds(*time), syllables.last().startCs);
                syllables.append({text, at, 0, segment});
            }
            endCs = std::max(endCs, syllables.last().startCs);
            for (qsizetype i = 0; i < syllables.size(); ++i)
                syllables[i].endCs = i + 1 < syllables.size() ? syllables.at(i + 1).startCs : endCs;
        } else {
            syllables.append({line.text, startCs, endCs, -1});
        }

        QString text;
        for (const WrittenSyllable& syllable : syllables)
            text +=
                KaraokeTag(u"kf", syllable.endCs - syllable.startCs) + EscapeAssText(syllable.text);
        out += DialogueLine(startCs, endCs, kLyricsStyle, text);
        const QString ruby = RubyText(line.text, words, syllables);
        if (!ruby.isEmpty())
            out += DialogueLine(startCs, endCs, kRubyStyle, ruby);
    }
    return out.toUtf8();
}

namespace {

// A syllable read: when it begins, where its text stands in its
// dialogue's text, and whether time without text (a \k with nothing after
// it) stood before it. A dialogue's syllables follow one another through
// its text, the first from its start, each to where the next begins.
struct ReadSyllable
{
    qint64 time = 0;
    qsizetype from = 0;
    qsizetype length = 0;
    bool afterGap = false;
};

// A Dialogue's text read: the text without its tags, its syllables (one at
// the start for the text before the first \k, or the whole text when it has
// none), and where its \k tags end.
struct DialogueText
{
    QString text;
    QList<ReadSyllable> syllables;
    bool karaoke = false;
    qint64 karaokeEnd = 0;

    QStringView textOf(const ReadSyllable& syllable) const
    {
        return QStringView(text).sliced(syllable.from, syllable.length);
    }
};

struct ReadDialogue
{
    int line = 0;
    qint64 start = 0;
    qint64 end = 0;
    DialogueText text;
};

// One override block "{…}" (without its braces): \k tags start syllables,
// the rest is what a lyrics line has no place for.
// On a reading line, \fscx is how the readings were set over their bases,
// no markup of the file's.
void ReadOverrides(QStringView block, qint64 dialogueStart, bool readingLine, DialogueText& text,
                   qint64& sungCs, DroppedParts& dropped)
{
    if (!block.contains(u'\\')) {
        if (!block.trimmed().isEmpty())
            dropped.other = true; // a note of the file's author
        return;
    }
    qsizetype i = block.indexOf(u'\\');
    while (i >= 0 && i < block.size()) {
        const qsizetype next = block.indexOf(u'\\', i + 1);
        const QStringView tag = block.sliced(i + 1, (next < 0 ? block.size() : next) - i - 1);
        i = next;
        qsizetype nameLength = 0;
        while (nameLength < tag.size() && tag.at(nameLength).isLetter())
            ++nameLength;
        const QStringView name = tag.first(nameLength);
        if (name == u"k" || name == u"K" || name == u"kf" || name == u"ko") {
            // The duration in hundredths; a fraction of one is dropped.
            qint64 duration = 0;
            for (qsizetype d = nameLength; d < tag.size() && tag.at(d).isDigit(); ++d)
                duration = std::min<qint64>(duration * 10 + tag.at(d).digitValue(), 1LL << 40);
            ReadSyllable syllable{dialogueStart + sungCs * 10, text.text.size(), 0, false};
            QList<ReadSyllable>& syllables = text.syllables;
            if (syllables.last().length == 0) {
                syllable.afterGap = text.karaoke || syllables.last().afterGap;
                syllables.last() = syllable;
            } else {
                syllables.append(syllable);
            }
            text.karaoke = true;
            sungCs += duration;
            text.karaokeEnd = dialogueStart + sungCs * 10;
        } else if (name == u"pos" || name == u"move" || name == u"an" || name == u"a" ||
                   name == u"org" || name == u"clip" || name == u"iclip") {
            dropped.positions = true;
        } else if (!tag.trimmed().isEmpty() && !(readingLine && name == u"fscx")) {
            dropped.markup = true;
        }
    }
}

DialogueText ReadDialogueText(QStringView text, qint64 start, bool readingLine,
                              DroppedParts& dropped)
{
    DialogueText read;
    read.text.reserve(text.size());
    read.syllables.append({start, 0, 0, false});
    const auto add = [&read](QStringView part) {
        read.text += part;
        read.syllables.last().length += part.size();
    };
    qint64 sungCs = 0;
    bool closingBraceAhead = true;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c == u'{' && closingBraceAhead) {
            const qsizetype close = text.indexOf(u'}', i + 1);
            if (close >= 0) {
                ReadOverrides(text.sliced(i + 1, close - i - 1), start, readingLine, read, sungCs,
                              dropped);
                i = close + 1;
                continue;
            }
            // A brace that nothing closes is text, and so is every later one.
            closingBraceAhead = false;
        }
        if (c == u'\\' && i + 1 < text.size() &&
            (text.at(i + 1) == u'N' || text.at(i + 1) == u'n' || text.at(i + 1) == u'h')) {
            add(u" ");
            i += 2;
            continue;
        }
        // Plain text up to the next brace or backslash.
        qsizetype to = i + 1;
        while (to < text.size() && text.at(to) != u'\\' &&
               (text.at(to) != u'{' || !closingBraceAhead))
            ++to;
        add(text.sliced(i, to - i));
        i = to;
    }
    if (read.syllables.size() > 1 && read.syllables.last().length == 0)
        read.syllables.removeLast();
    return read;
}

// A reading as its reading line gives it: the kana, where each of its
// syllables begins in them, and when.
struct ReadReading
{
    QString kana;
    QList<qsizetype> starts;
    QList<qint64> times;
};

// The readings of a reading line, each a run of its syllables between
// blanks and gaps, set over the segments of its base that begin when they
// do; a reading that finds no such segment is dropped.
void SetReadings(const DialogueText& ruby, const DialogueText& base,
                 const QList<ReadSyllable>& baseSyllables, QHash<qsizetype, ReadReading>& readings,
                 DroppedParts& dropped)
{
    QList<QList<ReadSyllable>> runs;
    bool open = false;
    for (const ReadSyllable& syllable : ruby.syllables) {
        if (ruby.textOf(syllable).trimmed().isEmpty()) {
            open = false;
            continue;
        }
        if (!open || syllable.afterGap)
            runs.append(QList<ReadSyllable>());
        runs.last().append(syllable);
        open = true;
    }
    // The base's syllables come in time order: the first one a run can
    // stand over is looked up, the later ones walked to.
    qsizetype at = 0;
    if (!runs.isEmpty()) {
        at = std::lower_bound(
                 baseSyllables.cbegin(), baseSyllables.cend(), runs.first().first().time,
                 [](const ReadSyllable& syllable, qint64 time) { return syllable.time < time; }) -
             baseSyllables.cbegin();
    }
    for (const QList<ReadSyllable>& run : runs) {
        while (at < baseSyllables.size() && baseSyllables.at(at).time < run.first().time)
            ++at;
        qsizetype kana = 0;
        for (const ReadSyllable& part : run)
            kana += part.length;
        if (at < baseSyllables.size() && baseSyllables.at(at).time == run.first().time &&
            !readings.contains(at) && kana <= kLongestReading &&
            !base.textOf(baseSyllables.at(at)).trimmed().isEmpty()) {
            ReadReading& reading = readings[at];
            for (const ReadSyllable& part : run) {
                reading.starts.append(reading.kana.size());
                reading.kana += ruby.textOf(part);
                reading.times.append(part.time);
            }
            ++at;
        } else {
            dropped.other = true;
        }
    }
}

TimedLine LineOf(const ReadDialogue& dialogue, const QList<const ReadDialogue*>& rubies,
                 DroppedParts& dropped)
{
    // A blank alone between two syllables is sung with the one before (the
    // syllables follow one another, so the one before grows over it).
    const DialogueText& read = dialogue.text;
    QList<ReadSyllable> syllables;
    syllables.reserve(read.syllables.size());
    for (const ReadSyllable& syllable : read.syllables) {
        if (!syllables.isEmpty() && read.textOf(syllable).trimmed().isEmpty())
            syllables.last().length += syllable.length;
        else
            syllables.append(syllable);
    }
    TimedLine line;
    line.text = read.text;
    if (!read.karaoke || syllables.size() < 2) {
        line.time = ClampToPosition(read.karaoke ? syllables.first().time : dialogue.start);
        if (!rubies.isEmpty())
            dropped.other = true;
        return line;
    }
    QHash<qsizetype, ReadReading> readings;
    for (const ReadDialogue* ruby : rubies)
        SetReadings(ruby->text, read, syllables, readings, dropped);

    line.time = ClampToPosition(syllables.first().time);
    LineWords& words = line.words;
    words.text = line.text;
    words.starts.reserve(syllables.size());
    words.times.reserve(syllables.size());
    for (qsizetype index = 0; index < syllables.size(); ++index) {
        const ReadSyllable& syllable = syllables.at(index);
        words.starts.append(syllable.from);
        if (const auto found = readings.constFind(index); found != readings.cend()) {
            words.readings.append({syllable.from, syllable.length, found->kana, found->starts});
            for (const qint64 time : found->times)
                words.times.append(ClampToPosition(time));
        } else {
            words.times.append(ClampToPosition(syllable.time));
        }
    }
    words.end = ClampToPosition(std::max(read.karaokeEnd, syllables.last().time));
    return line;
}

enum class AssSection
{
    None,
    Info,
    Styles,
    Events,
    Other,
};

} // namespace

Result<SubtitleRead, SubtitleFault> ReadAss(const QString& text)
{
    if (text.size() > kMaxSubtitleBytes)
        return SubtitleFault{1, SubtitleFaultKind::TooLarge};
    SubtitleRead read;
    AssSection section = AssSection::None;
    bool scriptInfo = false;
    // The v4+ order, for a file whose events come without a Format line.
    int fieldCount = 10;
    int startField = 1;
    int endField = 2;
    int styleField = 3;
    int textField = 9;
    QList<ReadDialogue> bases;
    QList<std::pair<QString, ReadDialogue>> rubies;
    qint64 characters = 0;

    int lineNumber = 0;
    for (qsizetype from = 0; from < text.size();) {
        qsizetype to = text.indexOf(u'\n', from);
        if (to < 0)
            to = text.size();
        QStringView line = QStringView(text).sliced(from, to - from);
        from = to + 1;
        ++lineNumber;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (lineNumber == 1 && line.startsWith(u'\uFEFF'))
            line = line.sliced(1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            const QString name = line.sliced(1, line.size() - 2).trimmed().toString().toLower();
            if (name == u"script info") {
                section = AssSection::Info;
                scriptInfo = true;
            } else if (name == u"v4+ styles" || name == u"v4 styles" || name == u"v4 styles+") {
                section = AssSection::Styles;
            } else if (name == u"events") {
                section = AssSection::Events;
            } else {
                // Embedded fonts and pictures are dropped; an editor's own
                // project notes are no part of the subtitles.
                if (name == u"fonts" || name == u"graphics")
                    read.dropped.other = true;
                section = AssSection::Other;
            }
            continue;
        }
        const qsizetype colon = line.indexOf(u':');
        const QStringView key = colon < 0 ? QStringView() : line.first(colon).trimmed();
        const QStringView value = colon < 0 ? QStringView() : line.sliced(colon + 1).trimmed();
        if (section == AssSection::Info) {
            if (key.compare(u"Title", Qt::CaseInsensitive) == 0 &&
                value != u"Default Aegisub file" && value != u"<untitled>")
                read.titles.title = value.toString();
            continue;
        }
        if (section == AssSection::Styles) {
            if (key.compare(u"Style", Qt::CaseInsensitive) == 0)
                read.dropped.styles = true;
            continue;
        }
        if (section != AssSection::Events)
            continue;
        if (key.compare(u"Format", Qt::CaseInsensitive) == 0) {
            const QList<QStringView> names = value.split(u',');
            fieldCount = int(names.size());
            startField = endField = styleField = textField = -1;
            for (int i = 0; i < fieldCount; ++i) {
                const QStringView name = names.at(i).trimmed();
                if (name.compare(u"Start", Qt::CaseInsensitive) == 0)
                    startField = i;
                else if (name.compare(u"End", Qt::CaseInsensitive) == 0)
                    endField = i;
                else if (name.compare(u"Style", Qt::CaseInsensitive) == 0)
                    styleField = i;
                else if (name.compare(u"Text", Qt::CaseInsensitive) == 0)
                    textField = i;
            }
            if (startField < 0 || endField < 0 || textField < 0)
                return SubtitleFault{lineNumber, SubtitleFaultKind::BadStructure};
            continue;
        }
        if (key.compare(u"Dialogue", Qt::CaseInsensitive) != 0) {
            // Comment lines, and the old forms' pictures, sounds and commands.
            if (!key.isEmpty())
                read.dropped.other = true;
            continue;
        }
        // The fields, the last one taking the rest of the line with its commas.
        QList<QStringView> fields;
        qsizetype at = colon + 1;
        while (at < line.size() && line.at(at) == u' ')
            ++at;
        while (int(fields.size()) + 1 < fieldCount) {
            const qsizetype comma = line.indexOf(u',', at);
            if (comma < 0)
                break;
            fields.append(line.sliced(at, comma - at));
            at = comma + 1;
        }
        fields.append(line.sliced(at));
        if (fields.size() < fieldCount)
            return SubtitleFault{lineNumber, SubtitleFaultKind::BadStructure};
        const auto start = ParseAssTime(fields.at(startField).trimmed());
        const auto end = ParseAssTime(fields.at(endField).trimmed());
        if (!start || !end || *end < *start)
            return SubtitleFault{lineNumber, SubtitleFaultKind::BadTime};
        characters += fields.at(textField).size();
        if (bases.size() + rubies.size() >= kMaxLrcLines || characters > kMaxLrcCharacters)
            return SubtitleFault{lineNumber, SubtitleFaultKind::TooLarge};
        ReadDialogue dialogue;
        dialogue.line = lineNumber;
        dialogue.start = *start;
        dialogue.end = *end;
        const QString style =
            styleField >= 0 ? fields.at(styleField).trimmed().toString() : QString();
        dialogue.text =
            ReadDialogueText(fields.at(textField), *start, IsRubyStyle(style), read.dropped);
        if (IsRubyStyle(style))
            rubies.append({style, std::move(dialogue)});
        else
            bases.append(std::move(dialogue));
    }
    if (!scriptInfo && bases.isEmpty() && rubies.isEmpty())
        return SubtitleFault{1, SubtitleFaultKind::NotThisForm};

    // A reading line belongs to the first line of the other styles shown
    // over the same time.
    QHash<std::pair<qint64, qint64>, qsizetype> baseAt;
    for (qsizetype i = bases.size() - 1; i >= 0; --i)
        baseAt.insert({bases.at(i).start, bases.at(i).end}, i); // the first one is kept
    QList<QList<const ReadDialogue*>> rubiesOf(bases.size());
    for (const auto& [style, ruby] : rubies) {
        const auto found = baseAt.constFind({ruby.start, ruby.end});
        if (found == baseAt.cend())
            read.dropped.other = true;
        else
            rubiesOf[*found].append(&ruby);
    }

    QList<ShownLine> lines;
    lines.reserve(bases.size());
    for (qsizetype i = 0; i < bases.size(); ++i) {
        TimedLine line = LineOf(bases.at(i), rubiesOf.at(i), read.dropped);
        const qint64 at = *line.time;
        lines.append({at, bases.at(i).end, std::move(line)});
    }
    read.lines = LinesInTimeOrder(std::move(lines), read.dropped);
    return read;
}

} // namespace verselet
