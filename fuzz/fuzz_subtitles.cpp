// Bytes read as UTF-8 text by the SRT, WebVTT, ASS and TTML readers (the
// first byte chooses which), and what they give opened as a document.
//
// Properties, whenever a reader gives lines:
//   - no more lines than a document holds, no more characters in them;
//   - times of 0 or more, in order (a line may have none);
//   - each line's segments begin inside its text, in order, and it has no
//     more times than units;
//   - the document made of them has a line in the body for every line.
// When a reader refuses, the fault's line is one of the text's lines, or
// the one after the last when the text ends where more was due.

#include "fuzzcheck.h"

#include "document/subtitlelyrics.h"
#include "document/subtitles.h"

#include <cstddef>
#include <cstdint>

using namespace verselet;
using verselet::fuzz::Show;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    using Reader = Result<SubtitleRead, SubtitleFault> (*)(const QString&);
    static constexpr Reader kReaders[] = {ReadSrt, ReadWebVtt, ReadAss, ReadTtml};
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    const auto read = kReaders[data[0] % 4](text);
    if (!read) {
        const qsizetype lines = text.count(u'\n') + text.count(u'\r') + 1;
        FUZZ_CHECK(read.error().line >= 0 && read.error().line <= lines + 1,
                   QByteArray::number(read.error().line));
        return 0;
    }
    const QList<TimedLine>& lines = read.value().lines;
    FUZZ_CHECK(lines.size() <= kMaxLrcLines, QByteArray::number(lines.size()));
    qint64 characters = 0;
    qint32 last = 0;
    for (const TimedLine& line : lines) {
        characters += line.text.size();
        // A line may have no time of its own (a TTML paragraph without one).
        FUZZ_CHECK(!line.time || *line.time >= last, Show(line.text.left(80)));
        last = line.time.value_or(last);
        const LineWords& words = line.words;
        qsizetype before = -1;
        for (const qsizetype start : words.starts) {
            FUZZ_CHECK(start > before && start < std::max<qsizetype>(words.text.size(), 1),
                       Show(words.text.left(80)));
            before = start;
        }
        FUZZ_CHECK(words.starts.isEmpty() || words.times.size() <= words.count(),
                   Show(words.text.left(80)));
    }
    FUZZ_CHECK(characters <= kMaxLrcCharacters, QByteArray::number(characters));
    const LoadedLyrics loaded = LoadSubtitleLyrics(read.value());
    FUZZ_CHECK(loaded.timed || lines.isEmpty(), QByteArray::number(lines.size()));
    return 0;
}
