// Bytes of a recovery file, as the start of the program finds it after a run
// that never ended: it may be cut short, damaged or written by anyone.
//
// Properties:
//   - every split read is one the line's text can have: it begins at 0, its
//     starts rise, none is past the text or inside a character, and no line
//     has more times than segments (so each segment's text can be taken);
//   - a file that reads, written again and read again, gives the same
//     document.

#include "fuzzcheck.h"

#include "document/recoveryformat.h"

#include <cstddef>
#include <cstdint>

using namespace verselet;
using verselet::fuzz::Show;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto read = ParseRecovery(bytes);
    if (!read.ok())
        return 0;
    const LyricsSnapshot& lyrics = read.value().lyrics;
    for (const LineWords& words : lyrics.wordTimes) {
        FUZZ_CHECK(words.times.size() <= words.count(), Show(words.text));
        qsizetype characters = 0;
        for (qsizetype segment = 0; segment < words.count(); ++segment) {
            FUZZ_CHECK(!words.segmentText(segment).isEmpty(), Show(words.text));
            characters += words.segmentText(segment).size();
        }
        FUZZ_CHECK(words.count() == 0 ||
                       (words.starts.constFirst() == 0 && characters == words.text.size()),
                   Show(words.text));
    }
    const auto again = ParseRecovery(FormatRecovery(lyrics, read.value().updated));
    FUZZ_CHECK(again.ok() && again.value().lyrics == lyrics, Show(lyrics.bodyText.left(200)));
    return 0;
}
