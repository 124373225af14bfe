#pragma once

// The timed lyrics text: every lyric line carries a seven-character tag field in
// front of its text, decided by position alone. These functions take text and
// return text; files and windows are the callers' business.
//
// Positions and lengths count UTF-16 code units. Every character code page 932
// can hold is one unit, so for any text the program can write this is the count
// of characters.

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace verselet {

inline constexpr qsizetype kTagFieldLength = 7;
inline constexpr QStringView kStartTag = u"[00:00]";
inline constexpr QStringView kSeparatorTag = u"-------";
inline constexpr QStringView kUntimedTag = u"[--:--]";
inline constexpr QStringView kUnmarkedTag = u"       ";
// The separator line of a new document and the closing line of a written file.
inline constexpr QStringView kSeparatorLine = u"-----------------------------------";
inline constexpr QStringView kCrLf = u"\r\n";

// The tag template, the tag file of a new document, offers the separator line
// unmarked and the next 271 lines marked: "-------" and 271 "[--:--]".
inline constexpr int kTemplateUntimedLines = 271;
// After a timed lyrics text is loaded, its own tags are followed by this many
// "[--:--]" lines, so lines typed below the loaded ones are offered marked.
inline constexpr int kLoadFillerLines = 224;

QStringList TagTemplateLines();
// The tag file after a timed load: the body's tag fields, then the filler.
QStringList TagsAfterTimedLoad(const QStringList& bodyTags);

// A body line split at its eighth character; also a pair of a text-file line
// and a tag-file line.
struct TaggedLine
{
    QString tag;
    QString text;
    friend bool operator==(const TaggedLine&, const TaggedLine&) = default;
};

// The first seven characters of a line (fewer when it is shorter).
QString TagField(QStringView line);
// The line from its eighth character on (empty when it is shorter).
QString LineText(QStringView line);
TaggedLine SplitTaggedLine(QStringView line);

// A line takes part in timing and in the display exactly when its tag begins
// with "[".
bool IsCountedTag(QStringView tag);

// 1-based position of the second "[" of the content, 0 when there is none.
qsizetype SecondBracketPosition(QStringView content);

// Read as a timed lyrics text: there is a "[", and counted from the second "["
// (or from the start when there is none) the 3rd character is ":" and the 6th
// is "]". A position past the end holds no character.
bool IsTimedLyricsText(QStringView content);

// The ten-character tags [mm:ss:ff] of another format, which is not supported:
// counted from the second "[", ":" at +3 and "]" at +9.
bool HasSixDigitTags(QStringView content);

enum class LineRole
{
    Header,  // part of the header text
    Start,   // the start line; its text from the eighth character is the start text
    Body,    // tag field and text of a body line
    Dropped, // between the start line and the first separator
};

// Reads the lines of a timed lyrics text in file order. The state starts at
// the header; the first line beginning with "[00:00]" is the start line; a line
// beginning with "-------" starts the body.
//
// Only the first "[00:00]" line is the start line. A line stamped at zero
// seconds is written with the tag [00:00] too; read back in the body it is a
// body line with that tag, instead of replacing the start text and swallowing
// every line up to the next separator.
class TimedLineClassifier final
{
public:
    LineRole classify(QStringView line);

private:
    enum class State
    {
        Header,
        Start,
        Body
    };
    State m_state = State::Header;
    bool m_startSeen = false;
};

// A timed lyrics text split into its parts, line by line.
struct TimedTextLines
{
    QStringList headerLines;
    bool hasStartLine = false;
    QString startText;
    QList<TaggedLine> body;
    // The 1-based line of the file each body line was read from.
    QList<int> bodyLineNumbers;
};

TimedTextLines ClassifyTimedText(const QStringList& lines);

// A body line with an empty text is written as an empty line only when its tag
// field is blank or the separator tag "-------"; any other tag keeps its
// characters (a hand-typed short line is not lost).
bool WritesAsEmptyLine(const TaggedLine& line);

// The whole file: the header text and CR LF, "[00:00]" and the start text, an
// empty line, one line per body pair, and the 35-hyphen closing separator when
// fewer than two tags are exactly "-------". Every line ends with CR LF.
QString ComposeTimedText(QStringView headerText, QStringView startText,
                         const QList<TaggedLine>& body);

} // namespace verselet
