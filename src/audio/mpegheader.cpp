#include "audio/mpegheader.h"

#include <algorithm>
#include <array>

namespace verselet {

namespace {

// mpg123 starts and ends its gapless cut this many samples later, for the
// decoder's own delay.
constexpr qint64 kDecoderDelay = 529;

// What a frame header says.
struct FrameHeader
{
    int version = 0; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    int layer = 0;   // 1, 2 or 3
    int rate = 0;
    bool mono = false;
    int size = 0;    // bytes, header included
    int samples = 0; // per channel
};

// Bit rates in kbit/s by index: MPEG-1 layers I, II, III, then MPEG-2 and
// 2.5 layer I, and layers II and III.
constexpr std::array<std::array<int, 15>, 5> kBitRates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
}};
constexpr std::array<int, 3> kMpeg1Rates{44100, 48000, 32000};

quint32 bigEndian(const QByteArray& bytes, qsizetype at)
{
    quint32 v = 0;
    for (qsizetype i = 0; i < 4; ++i)
        v = (v << 8) | quint8(bytes.at(at + i));
    return v;
}

// The frame header at `at`, when there are four bytes there and they are one
// (free-format frames, whose size the header does not give, are not).
std::optional<FrameHeader> frameHeader(const QByteArray& bytes, qsizetype at)
{
    if (at < 0 || at + 4 > bytes.size())
        return std::nullopt;
    const quint32 h = bigEndian(bytes, at);
    const int version = int(h >> 19) & 3;
    const int layerBits = int(h >> 17) & 3;
    const int bitRateIndex = int(h >> 12) & 15;
    const int rateIndex = int(h >> 10) & 3;
    if ((h >> 21) != 0x7ff || version == 1 || layerBits == 0 || bitRateIndex == 0 ||
        bitRateIndex == 15 || rateIndex == 3)
        return std::nullopt;
    FrameHeader f;
    f.version = version;
    f.layer = 4 - layerBits;
    f.rate = kMpeg1Rates.at(size_t(rateIndex)) >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    f.mono = ((h >> 6) & 3) == 3;
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? f.layer - 1 : (f.layer == 1 ? 3 : 4);
    const int bitRate = kBitRates.at(size_t(table)).at(size_t(bitRateIndex)) * 1000;
    const int padding = int(h >> 9) & 1;
    if (f.layer == 1) {
        f.size = (12 * bitRate / f.rate + padding) * 4;
        f.samples = 384;
    } else {
        const bool half = f.layer == 3 && !mpeg1;
        f.size = (half ? 72 : 144) * bitRate / f.rate + padding;
        f.samples = half ? 576 : 1152;
    }
    return f;
}

// The same stream goes on: what mpg123 asks of the frame after the first.
bool sameStream(const FrameHeader& a, const FrameHeader& b)
{
    return a.version == b.version && a.layer == b.layer && a.rate == b.rate && a.mono == b.mono;
}

// The first frame: a header whose next frame follows it in the same stream,
// as mpg123 looks for it past any junk before it.
std::optional<std::pair<qsizetype, FrameHeader>> firstFrame(const QByteArray& bytes)
{
    for (qsizetype at = bytes.indexOf(char(0xff)); at >= 0;
         at = bytes.indexOf(char(0xff), at + 1)) {
        const std::optional<FrameHeader> f = frameHeader(bytes, at);
        if (!f)
            continue;
        const std::optional<FrameHeader> next = frameHeader(bytes, at + f->size);
        if (next && sameStream(*f, *next))
            return std::pair{at, *f};
    }
    return std::nullopt;
}

// The fields of an Xing or Info frame that say how long its stream plays.
struct XingFields
{
    qint64 frames = 0;
    qint64 bytes = -1; // from this frame on; -1: not given
    qint64 delay = 0;  // the encoder's, from the LAME tag
    qint64 padding = 0;
};

// Reads the fields from their flags at `at` on, each one only when the frame
// (up to `end`) holds all of it; as in mpg123, a field cut off ends the
// reading with what came before it.
XingFields xingFields(const QByteArray& bytes, qsizetype at, qsizetype end)
{
    XingFields x;
    const quint32 flags = bigEndian(bytes, at);
    at += 4;
    if (flags & 1) {
        if (at + 4 > end)
            return x;
        x.frames = bigEndian(bytes, at);
        at += 4;
    }
    if (flags & 2) {
        if (at + 4 > end)
            return x;
        x.bytes = bigEndian(bytes, at);
        at += 4;
    }
    const qsizetype toc = (flags & 4) ? 100 : 0;
    const qsizetype quality = (flags & 8) ? 4 : 0;
    if (at + toc + quality > end)
        return x;
    at += toc + quality;
    // The LAME tag: an encoder's name, then at 21 the delay and the padding
    // as two 12-bit numbers. A tag that begins with 0 is none.
    if (at + 24 > end || bytes.at(at) == 0)
        return x;
    const auto byte = [&](qsizetype i) { return qint64(quint8(bytes.at(at + i))); };
    x.delay = (byte(21) << 4) | (byte(22) >> 4);
    x.padding = ((byte(22) & 15) << 8) | byte(23);
    return x;
}

} // namespace

qint64 Id3v2TagSize(const QByteArray& head)
{
    if (head.size() < 10 || !head.startsWith("ID3") || quint8(head.at(3)) == 0xff ||
        quint8(head.at(4)) == 0xff)
        return 0;
    qint64 size = 0;
    for (qsizetype i = 6; i < 10; ++i) {
        const quint8 b = quint8(head.at(i));
        if (b & 0x80)
            return 0; // not the syncsafe integer of a tag
        size = (size << 7) | b;
    }
    const bool footer = (quint8(head.at(5)) & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

std::optional<qint64> MpegFramesFromHeader(const QByteArray& stream, qint64 streamBytes)
{
    const auto first = firstFrame(stream);
    if (!first || first->second.layer != 3)
        return std::nullopt;
    const auto& [frameAt, frame] = *first;
    // The Xing or Info frame's fields follow its side information, which is
    // all zero apart from the first two bytes.
    const qsizetype side = frame.version == 3 ? (frame.mono ? 17 : 32) : (frame.mono ? 9 : 17);
    const qsizetype body = frameAt + 4;
    const qsizetype end = std::min<qsizetype>(frameAt + frame.size, stream.size());
    const qsizetype at = body + side;
    if (at + 8 > end ||
        std::any_of(stream.begin() + body + 2, stream.begin() + at, [](char c) { return c; }))
        return std::nullopt;
    const QByteArray tag = stream.mid(at, 4);
    if (tag != "Xing" && tag != "Info")
        return std::nullopt;
    const XingFields x = xingFields(stream, at + 4, end);
    // A file shorter than the stream its Xing frame describes is cut short:
    // it decodes to fewer frames than the count.
    if (x.frames == 0 || (x.bytes >= 0 && streamBytes < x.bytes))
        return std::nullopt;
    // mpg123 cuts the encoder's delay and its own at the start; the end is
    // the padding before the last frame's end, moved by its own delay too,
    // and never past the last frame. Without a LAME tag both are 0.
    const qint64 total = x.frames * frame.samples;
    const qint64 length =
        std::min(total, total - x.padding + kDecoderDelay) - (x.delay + kDecoderDelay);
    return length > 0 ? std::optional<qint64>(length) : std::nullopt;
}

} // namespace verselet
