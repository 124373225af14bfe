// Bytes read as the start of an MP3 file, for the length its first frame
// states.
//
// Properties:
//   - an ID3v2 tag's size is 0 (none) or at least its 10-byte header;
//   - a length found is more than 0 frames;
//   - the stream is read only as far as it is given: the answer for a stream
//     said to be longer than the bytes given is found in the same bytes, and
//     a length found for the bytes alone stays when more are said to follow
//     (a file longer than its Xing frame says is no file cut short).

#include "fuzzcheck.h"

#include "audio/mpegheader.h"

#include <cstddef>
#include <cstdint>

using namespace verselet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qint64 tag = Id3v2TagSize(bytes);
    FUZZ_CHECK(tag == 0 || tag >= 10, QByteArray::number(tag));
    const std::optional<qint64> given = MpegFramesFromHeader(bytes, bytes.size());
    FUZZ_CHECK(!given || *given > 0, QByteArray::number(*given));
    const std::optional<qint64> longer = MpegFramesFromHeader(bytes, bytes.size() * 4 + 1000000);
    FUZZ_CHECK(!longer || *longer > 0, QByteArray::number(*longer));
    FUZZ_CHECK(!given || given == longer, QByteArray::number(*given));
    return 0;
}
