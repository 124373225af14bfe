// Bytes split at the first two NUL bytes into the text file, the tag file and
// the marks (one mark per byte, its lowest bit), then the timing list built.
//
// Properties:
//   - one row per index where text line, tag line and mark all exist;
//   - each row is its tag part followed directly by its text line, the tag
//     part as the four-row table of BuildTimingList says;
//   - the tags saved from the rows (TimingTags) and built again with the same
//     text lines and marks give the same rows, for tag lines of exactly seven
//     characters, the width the program writes. A shorter or longer tag line
//     (a hand-edited tag file) is not a seven-character field, and the saved
//     tag is then the first seven characters of tag and text together.

#include "fuzzcheck.h"

#include "document/lyricsformat.h"
#include "document/textfile.h"
#include "workfiles/timinglist.h"

#include <cstddef>
#include <cstdint>

using namespace verselet;
using verselet::fuzz::Show;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype firstNul = bytes.indexOf('\0');
    const qsizetype secondNul = firstNul < 0 ? -1 : bytes.indexOf('\0', firstNul + 1);
    const QByteArray textBytes = firstNul < 0 ? bytes : bytes.first(firstNul);
    const QByteArray tagBytes = firstNul < 0 ? QByteArray()
                                : secondNul < 0
                                    ? bytes.sliced(firstNul + 1)
                                    : bytes.sliced(firstNul + 1, secondNul - firstNul - 1);
    const QByteArray markBytes = secondNul < 0 ? QByteArray() : bytes.sliced(secondNul + 1);

    const QStringList textLines = SplitWorkLines(DecodeCp932(textBytes).text);
    const QStringList tagLines = SplitWorkLines(DecodeCp932(tagBytes).text);
    QList<bool> marks;
    for (const char b : markBytes)
        marks.append((b & 1) != 0);

    const QStringList rows = BuildTimingList(textLines, tagLines, marks);
    const qsizetype n = std::min({textLines.size(), tagLines.size(), marks.size()});
    FUZZ_CHECK(rows.size() == n, Show(rows));

    bool sevenWide = true;
    for (qsizetype i = 0; i < n; ++i) {
        const QString& tag = tagLines.at(i);
        const bool counted = tag.startsWith(u'[');
        const QString part = marks.at(i) ? (counted ? tag : kUntimedTag.toString())
                                         : (counted ? kUnmarkedTag.toString() : tag);
        FUZZ_CHECK(rows.at(i) == part + textLines.at(i),
                   Show(rows.at(i)) + "\nexpected\n" + Show(part + textLines.at(i)));
        FUZZ_CHECK(rows.at(i).endsWith(textLines.at(i)), Show(rows.at(i)));
        sevenWide = sevenWide && tag.size() == kTagFieldLength;
    }

    const QStringList saved = TimingTags(rows);
    FUZZ_CHECK(saved.size() == rows.size(), Show(saved));
    for (qsizetype i = 0; i < n; ++i)
        FUZZ_CHECK(saved.at(i) == rows.at(i).left(kTagFieldLength), Show(saved));
    if (sevenWide) {
        const QStringList again = BuildTimingList(textLines, saved, marks);
        FUZZ_CHECK(again == rows, Show(rows) + "\nbuilt again\n" + Show(again));
        // The saved tags are a fixed point: saving again changes nothing.
        FUZZ_CHECK(TimingTags(again) == saved, Show(saved));
    }
    return 0;
}
