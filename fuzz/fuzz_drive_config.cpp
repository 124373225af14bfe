// Bytes of config.dat read against drive lists of a few sizes.
//
// Properties:
//   - a shorter list selects the same entry as a longer one when it has it;
//   - the index is -1 or an entry of the list; an empty list gives -1;
//   - no file and an empty file give entry 0 of a non-empty list;
//   - only the first field counts: what follows a comma or a line end after
//     it changes nothing;
//   - the bytes written for every index of the list, and for -1, read back as
//     that index.

#include "fuzzcheck.h"

#include "settings/driveconfig.h"

#include <cstddef>
#include <cstdint>

using namespace verselet;

namespace {

QByteArray number(int i)
{
    return QByteArray::number(i);
}

} // namespace

// Every index a file can hold is checked once, before the inputs.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const int entryCount : {1, 2, 32768}) {
        for (int i = -1; i < entryCount; ++i) {
            const QByteArray written = DriveConfigBytes(qint16(i));
            FUZZ_CHECK(written.endsWith(" \r\n") && written.size() >= 4, written);
            FUZZ_CHECK(DriveIndexFromConfig(written, true, entryCount) == i,
                       written + " read with " + number(entryCount) + " entries");
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    // The same file against a longer list: a shorter list selects the same
    // entry when it has it, entry 0 when not, and nothing when nothing was.
    const qint16 inLongest = DriveIndexFromConfig(bytes, true, 300);
    for (const int entryCount : {-1, 0, 1, 2, 7, 300}) {
        const qint16 index = DriveIndexFromConfig(bytes, true, entryCount);
        if (entryCount > 0) {
            const int expected = inLongest == -1 ? -1 : inLongest < entryCount ? inLongest : 0;
            FUZZ_CHECK(index == expected, number(index) + " with " + number(entryCount) +
                                              " entries, " + number(inLongest) + " with 300");
        }
        if (entryCount <= 0) {
            FUZZ_CHECK(index == -1, number(index));
            continue;
        }
        FUZZ_CHECK(index == -1 || (index >= 0 && index < entryCount),
                   number(index) + " of " + number(entryCount));
        FUZZ_CHECK(DriveIndexFromConfig(bytes, false, entryCount) == 0, number(entryCount));
        if (bytes.isEmpty())
            FUZZ_CHECK(index == 0, number(index));
        // Something after the first field: a comma or a line end ends it.
        const qsizetype fieldEnd = [&bytes] {
            for (qsizetype i = 0; i < bytes.size(); ++i) {
                if (bytes.at(i) == ',' || bytes.at(i) == '\r' || bytes.at(i) == '\n')
                    return i;
            }
            return bytes.size();
        }();
        if (fieldEnd > 0) {
            const QByteArray field = bytes.first(fieldEnd);
            FUZZ_CHECK(DriveIndexFromConfig(field + ",9", true, entryCount) == index,
                       number(index));
            FUZZ_CHECK(DriveIndexFromConfig(field + "\r\n9", true, entryCount) == index,
                       number(index));
        }
    }
    return 0;
}
