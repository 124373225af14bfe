// Bytes of an LRC file the user opens: decoded as any file is, read as LRC and
// loaded as a document, the way the open command does. `make fuzz` runs it
// with a memory limit (-malloc_limit_mb=256): every tag of a line gives a line
// of all its text, and a document that outgrows any lyrics must be refused
// before it is built.
//
// Properties:
//   - ParseLrc and LoadLrcLyrics agree on whether there is a document;
//   - a document holds at most kMaxLrcLines lines and kMaxLrcCharacters
//     characters of text, its lines in time order, none before 0, and a
//     first line at 0 with a text only after a start text (the first such
//     line is the start text) or when it is timed word by word;
//   - the loaded body is the separator and one line per LRC line, its tag the
//     [mm:ss] truncation of the line's time, which is its exact time;
//   - a document written as LRC, plain or enhanced (word marks), read again
//     and written again gives the same
//     file (left out: texts holding "<", which may hold word marks that the
//     first reading put together from pieces; and, for speed, documents of
//     more than 256 Ki characters);
//   - a UTF-8 file written back as plain LRC holds no character the file did
//     not: none is folded or replaced on the way (same size limit).

#include "fuzzcheck.h"

#include "document/lrcformat.h"
#include "document/lrcimport.h"
#include "document/lyricsformat.h"
#include "document/lyricsloader.h"
#include "document/textfile.h"
#include "document/timetag.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using namespace verselet;
using verselet::fuzz::Show;

namespace {

constexpr qint64 kRoundTripCharacters = 256 * 1024;

QByteArray describe(const LrcDocument& lrc)
{
    QByteArray out = Show(lrc.title) + " | " + Show(lrc.artist) + " | " + Show(lrc.album) +
                     " | start " + Show(lrc.startText) + "\n";
    for (const LrcLine& line : lrc.lines.first(std::min<qsizetype>(lrc.lines.size(), 20)))
        out += QByteArray::number(line.milliseconds) + " " + Show(line.text.left(200)) + "\n";
    return out;
}

qint64 textSize(const LrcDocument& lrc)
{
    qint64 characters = 0;
    for (const LrcLine& line : lrc.lines)
        characters += line.text.size();
    return characters;
}

void checkDocument(const LrcDocument& lrc)
{
    FUZZ_CHECK(lrc.lines.size() <= kMaxLrcLines, QByteArray::number(lrc.lines.size()));
    for (qsizetype i = 0; i < lrc.lines.size(); ++i) {
        const LrcLine& line = lrc.lines.at(i);
        FUZZ_CHECK(line.milliseconds >= 0, describe(lrc));
        FUZZ_CHECK(i == 0 || lrc.lines.at(i - 1).milliseconds <= line.milliseconds, describe(lrc));
    }
    FUZZ_CHECK(textSize(lrc) <= kMaxLrcCharacters, QByteArray::number(textSize(lrc)));
    FUZZ_CHECK(!lrc.startText.isEmpty() || lrc.lines.isEmpty() ||
                   lrc.lines.first().milliseconds != 0 || lrc.lines.first().text.isEmpty() ||
                   !lrc.lines.first().words.isEmpty(),
               describe(lrc));
}

void checkLoaded(const LrcDocument& lrc, const LoadedLyrics& loaded)
{
    FUZZ_CHECK(loaded.timed && loaded.complete, describe(lrc));
    FUZZ_CHECK(loaded.startText == lrc.startText, describe(lrc));
    const QStringList body = SplitWorkLines(loaded.bodyText + kCrLf.toString());
    FUZZ_CHECK(body.size() == lrc.lines.size() + 1 && loaded.exactTimes.size() == body.size(),
               describe(lrc) + Show(loaded.bodyText));
    FUZZ_CHECK(body.first() == kSeparatorLine && !loaded.exactTimes.first(), Show(loaded.bodyText));
    for (qsizetype i = 0; i < lrc.lines.size(); ++i) {
        const LrcLine& line = lrc.lines.at(i);
        FUZZ_CHECK(body.at(i + 1) == line.text, describe(lrc));
        FUZZ_CHECK(loaded.exactTimes.at(i + 1) == line.milliseconds, describe(lrc));
        FUZZ_CHECK(loaded.tagLines.at(i + 1) ==
                       FormatTimeTag(line.milliseconds).left(kTagFieldLength),
                   describe(lrc));
    }
}

void checkRoundTrip(const LrcDocument& lrc)
{
    for (const LrcLine& line : lrc.lines) {
        if (line.text.contains(u'<'))
            return;
    }
    for (const LrcFlavour flavour : {LrcFlavour::Plain, LrcFlavour::Enhanced}) {
        const QString written = ComposeLrc(lrc, flavour);
        const std::optional<LrcDocument> again = ParseLrc(NormalizeLineEnds(written));
        FUZZ_CHECK(again, Show(written));
        const QString rewritten = ComposeLrc(*again, flavour);
        FUZZ_CHECK(rewritten == written, Show(written) + "\nwritten again as\n" + Show(rewritten));
    }
}

void checkCharactersKept(const QByteArray& bytes, const LrcDocument& lrc)
{
    std::vector<bool> held(0x10000);
    for (const QChar c : QString::fromUtf8(bytes))
        held[c.unicode()] = true;
    const QString written = ComposeLrc(lrc);
    for (const QChar c : written)
        FUZZ_CHECK(c.unicode() < 0x80 || held[c.unicode()],
                   "U+" + QByteArray::number(c.unicode(), 16) + " written, not read\n" +
                       Show(written));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // As the open command reads an .lrc file.
    const UserText user = DecodeUserText(bytes);
    const QString content = ResolveLineSeparators(user.text, true);
    const std::optional<LrcDocument> lrc = ParseLrc(content);
    const std::optional<LoadedLyrics> loaded = LoadLrcLyrics(content);
    FUZZ_CHECK(lrc.has_value() == loaded.has_value(), Show(content.left(200)));
    if (!lrc)
        return 0;
    checkDocument(*lrc);
    checkLoaded(*lrc, *loaded);
    // Writing and reading a document of millions of characters again finds
    // nothing a smaller one would not, and would take most of the time.
    if (textSize(*lrc) <= kRoundTripCharacters) {
        checkRoundTrip(*lrc);
        if (user.encoding == TextEncoding::Utf8)
            checkCharactersKept(bytes, *lrc);
    }
    return 0;
}
