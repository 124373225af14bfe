#include "document/lyricsformat.h"

namespace verselet {

namespace {

// The character at a 1-based position, or nothing past either end.
QChar charAt(QStringView text, qsizetype position)
{
    if (position < 1 || position > text.size())
        return QChar();
    return text.at(position - 1);
}

bool isBlank(QStringView tag)
{
    for (const QChar c : tag) {
        if (c != u' ')
            return false;
    }
    return true;
}

} // namespace

QStringList TagTemplateLines()
{
    QStringList lines;
    lines.reserve(1 + kTemplateUntimedLines);
    lines.append(kSeparatorTag.toString());
    for (int i = 0; i < kTemplateUntimedLines; ++i)
        lines.append(kUntimedTag.toString());
    return lines;
}

QStringList TagsAfterTimedLoad(const QStringList& bodyTags)
{
    QStringList tags = bodyTags;
    tags.reserve(bodyTags.size() + kLoadFillerLines);
    for (int i = 0; i < kLoadFillerLines; ++i)
        tags.append(kUntimedTag.toString());
    return tags;
}

QString TagField(QStringView line)
{
    return line.left(kTagFieldLength).toString();
}

QString LineText(QStringView line)
{
    return line.size() > kTagFieldLength ? line.sliced(kTagFieldLength).toString() : QString();
}

TaggedLine SplitTaggedLine(QStringView line)
{
    return {TagField(line), LineText(line)};
}

bool IsCountedTag(QStringView tag)
{
    return tag.startsWith(u'[');
}

qsizetype SecondBracketPosition(QStringView content)
{
    const qsizetype first = content.indexOf(u'[');
    if (first < 0)
        return 0;
    const qsizetype second = content.indexOf(u'[', first + 1);
    return second < 0 ? 0 : second + 1;
}

bool IsTimedLyricsText(QStringView content)
{
    if (!content.contains(u'['))
        return false;
    const qsizetype p = SecondBracketPosition(content);
    return charAt(content, p + 6) == u']' && charAt(content, p + 3) == u':';
}

bool HasSixDigitTags(QStringView content)
{
    const qsizetype p = SecondBracketPosition(content);
    return charAt(content, p + 9) == u']' && charAt(content, p + 3) == u':';
}

LineRole TimedLineClassifier::classify(QStringView line)
{
    if (!m_startSeen && line.startsWith(kStartTag)) {
        m_startSeen = true;
        m_state = State::Start;
        return LineRole::Start;
    }
    if (line.startsWith(kSeparatorTag))
        m_state = State::Body;
    switch (m_state) {
    case State::Header:
        return LineRole::Header;
    case State::Body:
        return LineRole::Body;
    case State::Start:
        break;
    }
    return LineRole::Dropped;
}

TimedTextLines ClassifyTimedText(const QStringList& lines)
{
    TimedTextLines result;
    TimedLineClassifier classifier;
    int number = 0;
    for (const QString& line : lines) {
        ++number;
        switch (classifier.classify(line)) {
        case LineRole::Header:
            result.headerLines.append(line);
            break;
        case LineRole::Start:
            result.hasStartLine = true;
            result.startText = LineText(line);
            break;
        case LineRole::Body:
            result.body.append(SplitTaggedLine(line));
            result.bodyLineNumbers.append(number);
            break;
        case LineRole::Dropped:
            break;
        }
    }
    return result;
}

bool WritesAsEmptyLine(const TaggedLine& line)
{
    return line.text.isEmpty() && (isBlank(line.tag) || line.tag == kSeparatorTag);
}

QString ComposeTimedText(QStringView headerText, QStringView startText,
                         const QList<TaggedLine>& body)
{
    qsizetype size = headerText.size() + startText.size() + kSeparatorLine.size() + 16;
    for (const TaggedLine& line : body)
        size += line.tag.size() + line.text.size() + 2;

    QString out;
    out.reserve(size);
    out += headerText;
    out += kCrLf;
    out += kStartTag;
    out += startText;
    out += kCrLf;
    out += kCrLf;

    int separatorTags = 0;
    for (const TaggedLine& line : body) {
        if (line.tag == kSeparatorTag)
            ++separatorTags;
        if (!WritesAsEmptyLine(line)) {
            out += line.tag;
            out += line.text;
        }
        out += kCrLf;
    }
    if (separatorTags < 2) {
        out += kSeparatorLine;
        out += kCrLf;
    }
    return out;
}

} // namespace verselet
