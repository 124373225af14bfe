// Bytes of a work file: decoded as code page 932 and split into lines.
//
// Properties:
//   - no line holds a CR, and no bytes but a decoded empty text give no lines;
//   - joining the lines with CR LF gives the text with every CR LF and every
//     lone CR turned into CR LF (a lone LF stays a character of its line) and
//     a CR LF added after a last line that had no line end;
//   - the decoder reports invalid bytes exactly when the text holds U+FFFD;
//   - a text without U+FFFD encodes, and its bytes decode to the same text;
//   - a text with U+FFFD does not encode, and the first U+FFFD is where the
//     error says (lines broken at CR LF, CR or LF, columns from 1).

#include "fuzzcheck.h"

#include "document/textfile.h"

#include <cstddef>
#include <cstdint>

using namespace verselet;
using verselet::fuzz::Show;

namespace {

QString expectedJoin(const QString& text)
{
    QString out;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) == u'\r') {
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            out += u"\r\n";
        } else {
            out += text.at(i);
        }
    }
    if (!text.isEmpty() && !text.endsWith(u'\r') && !text.endsWith(u"\r\n"))
        out += u"\r\n";
    return out;
}

// Line and column of the first U+FFFD, counted the way the encoder reports it.
std::pair<int, int> firstReplacement(const QString& text)
{
    int line = 1;
    int column = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QChar(0xFFFD))
            return {line, column};
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            ++line;
            column = 1;
        } else if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            ++column;
        } else {
            ++column;
        }
    }
    return {0, 0};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const DecodedText decoded = DecodeCp932(bytes);
    const QString& text = decoded.text;
    const QStringList lines = SplitWorkLines(text);

    for (const QString& line : lines)
        FUZZ_CHECK(!line.contains(u'\r'), Show(lines));
    FUZZ_CHECK(lines.isEmpty() == text.isEmpty(), Show(text));
    FUZZ_CHECK(JoinLinesCrLf(lines) == expectedJoin(text),
               Show(JoinLinesCrLf(lines)) + "\nexpected\n" + Show(expectedJoin(text)));
    // A character never takes more code units than it took bytes.
    FUZZ_CHECK(text.size() <= bytes.size(), Show(text));

    const bool hasReplacement = text.contains(QChar(0xFFFD));
    FUZZ_CHECK(decoded.hadInvalidBytes == hasReplacement, Show(text));

    const auto encoded = EncodeCp932(text);
    if (!hasReplacement) {
        FUZZ_CHECK(bool(encoded), Show(text));
        const DecodedText again = DecodeCp932(encoded.value());
        FUZZ_CHECK(!again.hadInvalidBytes && again.text == text,
                   Show(text) + "\nread back as\n" + Show(again.text));
    } else {
        FUZZ_CHECK(!bool(encoded), Show(text));
        const auto [line, column] = firstReplacement(text);
        const UnmappableCharacter& u = encoded.error();
        FUZZ_CHECK(u.character == 0xFFFD && u.line == line && u.column == column,
                   Show(text) + "\nreported U+" + QByteArray::number(quint32(u.character), 16) +
                       " at " + QByteArray::number(u.line) + ":" + QByteArray::number(u.column) +
                       ", expected " + QByteArray::number(line) + ":" + QByteArray::number(column));
    }
    return 0;
}
