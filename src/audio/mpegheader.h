#pragma once

// How long an MP3 plays, read from the start of the file instead of decoding
// it. Both functions take bytes as they are in the file and never read past
// the end of what they are given.

#include <QByteArray>
#include <QtGlobal>

#include <optional>

namespace verselet {

// The size of the ID3v2 tag `head` begins with, header and footer included;
// 0 when it begins with none.
qint64 Id3v2TagSize(const QByteArray& head);

// The frames an MP3 stream decodes to as libsndfile plays it (mpg123, gapless),
// when its first frame says so exactly: an Xing or Info frame with the frame
// count, and the encoder's delay and padding from its LAME tag when it has one.
// `stream`: the file's bytes from where its audio begins (after the ID3v2 tag);
// `streamBytes`: the bytes the file has from there on. Nothing when the stream
// does not say (no Xing or Info frame, a VBRI frame, no frame count, a count of
// 0, a file shorter than its Xing frame says), or when no first frame is found
// in `stream`.
std::optional<qint64> MpegFramesFromHeader(const QByteArray& stream, qint64 streamBytes);

} // namespace verselet
