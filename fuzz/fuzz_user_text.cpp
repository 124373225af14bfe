// Bytes of a file the user opens: decoded, line ends normalised, and loaded as
// a document (header, start text, body, tag lines).
//
// Properties:
//   - the decoded text holds only CR LF line ends, no lone CR or LF; UTF-8
//     text keeps every other character as its bytes have it (folding is for
//     writing code page 932, never for reading);
//   - the loaded texts hold no line separator (U+2028, U+2029, U+0085): a
//     text box would break the line there and shift every later tag;
//   - a text holding U+0000 is refused by ReadUserTextFile as not a text, and
//     takes no further part;
//   - a plain load: the body is the 35 hyphens, CR LF and the text itself
//     (each line separator a line end), the tag lines are the template,
//     header and start text are empty;
//   - a timed load: the tag lines are one per body line followed by exactly
//     224 "[--:--]"; the body text holds no CR outside its CR LF;
//   - the round trip of a complete timed load: the body lines paired with the
//     tag lines the way the timing window pairs the work files, composed into
//     a file, read back and composed again give the same text; when the
//     composed text can be written as code page 932, its bytes read back give
//     the same text too, folded (FoldForCp932).
//
// Inputs left out of the round trip, because the written file is meant to
// read back differently:
//   - a body line that is only the separator tag "-------" is written as an
//     empty line (a separator line carries no text); read back it is no longer
//     a separator, which changes whether the closing separator line is written,
//     and when it was the first body line the lines after it up to the next
//     separator are no longer body lines;
//   - a header line beginning with "-------" or "[00:00]" would read back as
//     the body or the start line; a load never puts such a line in the header,
//     so this exclusion only guards the property itself.

#include "fuzzcheck.h"

#include "document/lyricsformat.h"
#include "document/lyricsloader.h"
#include "document/textfile.h"
#include "workfiles/workfiles.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

using namespace verselet;
using verselet::fuzz::Show;

namespace {

bool onlyCrLfLineEnds(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r') {
            if (i + 1 >= text.size() || text.at(i + 1) != u'\n')
                return false;
            ++i;
        } else if (text.at(i) == u'\n') {
            return false;
        }
    }
    return true;
}

QString crLf()
{
    return kCrLf.toString();
}

void checkRoundTrip(const LoadedLyrics& loaded)
{
    const QStringList headerLines = SplitWorkLines(loaded.headerText + crLf());
    for (const QString& line : headerLines) {
        if (line.startsWith(kSeparatorTag) || line.startsWith(kStartTag))
            return;
    }
    // What the timing window pairs: the text file holds the body text and one
    // CR LF, the tag file the tag lines.
    const QList<TaggedLine> body =
        PairLines(SplitWorkLines(loaded.bodyText + crLf()), loaded.tagLines);
    for (const TaggedLine& line : body) {
        if (line.tag == kSeparatorTag && line.text.isEmpty())
            return;
    }
    const QString composed = ComposeTimedText(loaded.headerText, loaded.startText, body);
    FUZZ_CHECK(onlyCrLfLineEnds(composed) && composed.endsWith(kCrLf), Show(composed));

    const TimedTextLines read = ClassifyTimedText(SplitWorkLines(composed));
    FUZZ_CHECK(read.hasStartLine, Show(composed));
    FUZZ_CHECK(read.startText == loaded.startText, Show(composed));
    FUZZ_CHECK(read.headerLines.join(kCrLf) == loaded.headerText, Show(composed));
    const QString again = ComposeTimedText(read.headerLines.join(kCrLf), read.startText, read.body);
    FUZZ_CHECK(again == composed, Show(composed) + "\ncomposed again\n" + Show(again));

    if (const auto bytes = EncodeCp932(composed)) {
        const DecodedText back = DecodeCp932(bytes.value());
        // The characters code page 932 holds only folded come back folded.
        FUZZ_CHECK(!back.hadInvalidBytes && back.text == FoldForCp932(composed),
                   Show(composed) + "\nread back as\n" + Show(back.text));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const UserText user = DecodeUserText(bytes);
    FUZZ_CHECK(onlyCrLfLineEnds(user.text), Show(user.text));
    if (user.encoding == TextEncoding::Utf8) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = decoder.decode(bytes);
        FUZZ_CHECK(user.text == NormalizeLineEnds(decoded),
                   Show(user.text) + "\nbytes read as\n" + Show(decoded));
    }
    // A text holding a NUL is no text the program opens: ReadUserTextFile
    // refuses it (NUL bytes, or NUL characters in UTF-16).
    if (user.text.contains(QChar(0))) {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("nul.txt"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            std::abort();
        file.close();
        const auto read = ReadUserTextFile(path);
        FUZZ_CHECK(!read && read.error().kind == FileErrorKind::NotText, Show(user.text));
        return 0;
    }

    const LoadedLyrics loaded = LoadLyricsText(user.text);
    FUZZ_CHECK(loaded.timed == IsTimedLyricsText(user.text), Show(user.text));
    for (const QString& text : {loaded.headerText, loaded.startText, loaded.bodyText}) {
        FUZZ_CHECK(!text.contains(QChar::LineSeparator) &&
                       !text.contains(QChar::ParagraphSeparator) && !text.contains(QChar(0x0085)),
                   Show(text));
    }
    if (!loaded.timed) {
        FUZZ_CHECK(loaded.bodyText ==
                       kSeparatorLine.toString() + crLf() + ResolveLineSeparators(user.text, false),
                   Show(loaded.bodyText));
        FUZZ_CHECK(loaded.tagLines == TagTemplateLines(), Show(loaded.tagLines));
        FUZZ_CHECK(loaded.headerText.isEmpty() && loaded.startText.isEmpty() && loaded.complete,
                   Show(loaded.headerText));
        return 0;
    }

    FUZZ_CHECK(loaded.tagLines.size() >= kLoadFillerLines, Show(loaded.tagLines));
    for (qsizetype i = loaded.tagLines.size() - kLoadFillerLines; i < loaded.tagLines.size(); ++i)
        FUZZ_CHECK(loaded.tagLines.at(i) == kUntimedTag, Show(loaded.tagLines));
    const qsizetype bodyLines = loaded.tagLines.size() - kLoadFillerLines;
    FUZZ_CHECK(onlyCrLfLineEnds(loaded.bodyText) && onlyCrLfLineEnds(loaded.headerText) &&
                   !loaded.startText.contains(u'\r') && !loaded.startText.contains(u'\n'),
               Show(loaded.bodyText));
    for (qsizetype i = 0; i < bodyLines; ++i)
        FUZZ_CHECK(loaded.tagLines.at(i).size() <= kTagFieldLength, Show(loaded.tagLines));
    if (bodyLines == 0) {
        FUZZ_CHECK(!loaded.complete && loaded.bodyText.isEmpty(), Show(loaded.bodyText));
        return 0;
    }
    // One text line per tag line: the body text and one CR LF split as the
    // text file does.
    FUZZ_CHECK(SplitWorkLines(loaded.bodyText + crLf()).size() == bodyLines,
               Show(loaded.bodyText) + "\n" + Show(loaded.tagLines));
    // The first body line is the one that began with the separator.
    FUZZ_CHECK(loaded.tagLines.first() == kSeparatorTag, Show(loaded.tagLines));
    if (loaded.complete)
        checkRoundTrip(loaded);
    return 0;
}
