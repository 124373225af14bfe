#include "document/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verselet {

namespace {

constexpr char kCp932Name[] = "CP932";
constexpr QChar kReplacement{0xFFFD};
// Begins a work file that holds a text code page 932 cannot: EF is no lead
// byte of code page 932, so no text in it begins so.
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Finds the first character the encoder refuses. Only called once the whole
// text has failed, so it can afford a fresh encoder per line and per character.
UnmappableCharacter locateUnmappable(const QString& text)
{
    int line = 1;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = start;
        while (end < text.size() && !isLineBreak(text.at(end)))
            ++end;
        const QStringView lineText = QStringView(text).mid(start, end - start);
        QStringEncoder lineEncoder(kCp932Name, QStringConverter::Flag::Stateless);
        const QByteArray lineBytes = lineEncoder.encode(lineText); // converts only when kept
        if (lineEncoder.hasError()) {
            int column = 1;
            for (qsizetype i = 0; i < lineText.size(); ++column) {
                const bool pair = lineText.at(i).isHighSurrogate() && i + 1 < lineText.size() &&
                                  lineText.at(i + 1).isLowSurrogate();
                const QStringView one = lineText.mid(i, pair ? 2 : 1);
                QStringEncoder charEncoder(kCp932Name, QStringConverter::Flag::Stateless);
                const QByteArray charBytes = charEncoder.encode(one);
                if (charEncoder.hasError()) {
                    const char32_t ch = pair ? QChar::surrogateToUcs4(one.at(0), one.at(1))
                                             : char32_t(one.at(0).unicode());
                    return {ch, line, column};
                }
                i += one.size();
            }
        }
        if (end >= text.size())
            break;
        // CR LF counts as one line break.
        start =
            end +
            ((text.at(end) == u'\r' && end + 1 < text.size() && text.at(end + 1) == u'\n') ? 2 : 1);
        ++line;
    }
    // The encoder failed on the whole but on no piece of it; report the start.
    return {text.isEmpty() ? 0 : char32_t(text.at(0).unicode()), 1, 1};
}

bool hasNonAscii(const QByteArray& bytes)
{
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0x80)
            return true;
    }
    return false;
}

} // namespace

QChar FoldForCp932(QChar c)
{
    switch (c.unicode()) {
    case 0x301C:
        return QChar(0xFF5E); // wave dash → full-width tilde
    case 0x2212:
        return QChar(0xFF0D); // minus sign → full-width hyphen-minus
    case 0x2016:
        return QChar(0x2225); // double vertical line → parallel to
    case 0x00A2:
        return QChar(0xFFE0); // cent sign
    case 0x00A3:
        return QChar(0xFFE1); // pound sign
    case 0x00AC:
        return QChar(0xFFE2); // not sign
    case 0x2014:
        return QChar(0x2015); // em dash → horizontal bar
    case 0x00A0:
        return QChar(u' '); // no-break space
    default:
        return c;
    }
}

QString FoldForCp932(const QString& text)
{
    // Every character that folds lies in one of three narrow ranges; a text
    // is mostly scanned without looking further (this runs on every write).
    const auto mayFold = [](char16_t u) {
        return (u >= 0x00A0 && u <= 0x00AC) || (u >= 0x2014 && u <= 0x2212) || u == 0x301C;
    };
    const char16_t* const begin = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin;
    while (p != end && !(mayFold(*p) && FoldForCp932(QChar(*p)) != QChar(*p)))
        ++p;
    if (p == end)
        return text; // shares the data: nothing to fold
    QString folded = text;
    QChar* out = folded.data();
    for (qsizetype i = p - begin; i < folded.size(); ++i) {
        if (mayFold(out[i].unicode()))
            out[i] = FoldForCp932(out[i]);
    }
    return folded;
}

bool CanEncodeCp932(QStringView text)
{
    return EncodeCp932(text.toString()).ok();
}

namespace {

// Code page 932 and the other double-byte encodings a file may be read as.
// None of them uses an LF as a trail byte.
DecodedText decodeDoubleByte(const char* codec, const QByteArray& bytes)
{
    // Invalid bytes become NUL, and so do NUL bytes themselves; both then become
    // U+FFFD. The decoder silently drops a lead byte cut off at the very end, so
    // an LF is appended: it is never a trail byte, the lead byte before it is
    // reported like any other invalid byte, and the LF is taken off again.
    QStringDecoder decoder(codec, QStringConverter::Flag::Stateless |
                                      QStringConverter::Flag::ConvertInvalidToNull);
    QByteArray input = bytes;
    input.append('\n');
    QString text = decoder.decode(input);
    text.chop(1);
    const bool hadNul = text.contains(QChar(0));
    if (hadNul)
        text.replace(QChar(0), kReplacement);
    return {text, decoder.hasError() || hadNul};
}

const char* doubleByteCodec(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Gb18030:
        return "GB18030";
    case TextEncoding::Big5:
        return "Big5";
    case TextEncoding::EucKr:
        return "windows-949";
    default:
        return kCp932Name;
    }
}

UserText decodeAs(const QByteArray& bytes, TextEncoding encoding)
{
    UserText result;
    result.encoding = encoding;
    if (encoding == TextEncoding::Utf8 || encoding == TextEncoding::Utf16) {
        const bool bigEndian = bytes.startsWith("\xFE\xFF");
        const bool bom = bigEndian || bytes.startsWith("\xFF\xFE");
        QStringDecoder decoder(encoding == TextEncoding::Utf8 ? QStringConverter::Utf8
                               : bigEndian                    ? QStringConverter::Utf16BE
                                                              : QStringConverter::Utf16LE,
                               QStringConverter::Flag::Stateless);
        // The UTF-8 decoder takes off a BOM of its own.
        const QByteArray text = encoding == TextEncoding::Utf16 && bom ? bytes.sliced(2) : bytes;
        result.text = decoder.decode(text);
        // The decoder drops a last byte that is half a UTF-16 unit without
        // a word: the file was cut, and a byte of it would be lost unseen.
        result.hadInvalidBytes =
            decoder.hasError() || (encoding == TextEncoding::Utf16 && text.size() % 2 != 0);
    } else {
        DecodedText decoded = decodeDoubleByte(doubleByteCodec(encoding), bytes);
        result.text = std::move(decoded.text);
        result.hadInvalidBytes = decoded.hadInvalidBytes;
    }
    return result;
}

// The 1-based line that the character at `at` (not a line break) stands on,
// a CR LF, a lone CR and a lone LF each ending one.
template <typename View> int lineAt(View text, qsizetype at)
{
    int line = 1;
    for (qsizetype i = 0; i < at; ++i) {
        if (text[i] == u'\n' || (text[i] == u'\r' && text[i + 1] != u'\n'))
            ++line;
    }
    return line;
}

} // namespace

QString DecodeUnlabelledText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return asUtf8;
    const DecodedText asCp932 = DecodeCp932(bytes);
    return asCp932.hadInvalidBytes ? QString::fromLatin1(bytes) : asCp932.text;
}

DecodedText DecodeCp932(const QByteArray& bytes)
{
    return decodeDoubleByte(kCp932Name, bytes);
}

Result<QByteArray, UnmappableCharacter> EncodeCp932(const QString& text)
{
    // Every character that folds is one the encoder refuses, so a text that
    // encodes as it is needs no folding: only a refused one is folded and
    // tried again.
    QStringEncoder encoder(kCp932Name, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    const QString folded = FoldForCp932(text);
    if (folded.constData() == text.constData())
        return locateUnmappable(text);
    QStringEncoder again(kCp932Name, QStringConverter::Flag::Stateless);
    bytes = again.encode(folded);
    if (again.hasError())
        return locateUnmappable(folded);
    return bytes;
}

QString NormalizeLineEnds(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            if (i + 1 < n && text.at(i + 1) == u'\n')
                ++i;
            out += u"\r\n";
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

static UserText decodeUserText(const QByteArray& bytes, std::optional<TextEncoding> chosen)
{
    UserText result;
    const auto startsWith = [&bytes](const char* bom, qsizetype n) {
        return bytes.size() >= n && bytes.first(n) == QByteArrayView(bom, n);
    };
    if (chosen) {
        result = decodeAs(bytes, *chosen);
    } else if (startsWith("\xFF\xFE", 2) || startsWith("\xFE\xFF", 2)) {
        result = decodeAs(bytes, TextEncoding::Utf16);
    } else {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString asUtf8 = utf8.decode(bytes); // takes off a leading BOM itself
        if (startsWith("\xEF\xBB\xBF", 3) || (!utf8.hasError() && hasNonAscii(bytes))) {
            result.text = std::move(asUtf8);
            result.encoding = TextEncoding::Utf8;
            result.hadInvalidBytes = utf8.hasError();
        } else {
            DecodedText decoded = DecodeCp932(bytes);
            result.text = std::move(decoded.text);
            result.encoding = TextEncoding::Cp932;
            result.hadInvalidBytes = decoded.hadInvalidBytes;
        }
    }
    result.text = NormalizeLineEnds(result.text);
    return result;
}

UserText DecodeUserText(const QByteArray& bytes)
{
    return decodeUserText(bytes, std::nullopt);
}

UserText DecodeUserTextAs(const QByteArray& bytes, TextEncoding encoding)
{
    return decodeUserText(bytes, encoding);
}

ReadingDoubt DoubtAboutReading(const QByteArray& bytes, const UserText& read)
{
    if (read.hadInvalidBytes)
        return ReadingDoubt::InvalidBytes;
    if (read.encoding != TextEncoding::Cp932)
        return ReadingDoubt::None;
    constexpr int kForeignHalfWidthKatakana = 8;
    int halfWidth = 0;
    int nonAscii = 0;
    for (const QChar c : read.text) {
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x30FF)
            return ReadingDoubt::None; // kana: Japanese
        if (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F)
            ++halfWidth;
        if (c.unicode() >= 0x80)
            ++nonAscii;
    }
    if (halfWidth < kForeignHalfWidthKatakana || halfWidth * 4 < nonAscii * 3)
        return ReadingDoubt::None;
    for (const TextEncoding other :
         {TextEncoding::Gb18030, TextEncoding::Big5, TextEncoding::EucKr}) {
        if (!decodeDoubleByte(doubleByteCodec(other), bytes).hadInvalidBytes)
            return ReadingDoubt::OtherEncoding;
    }
    return ReadingDoubt::None;
}

Result<QByteArray, FileError> ReadUserFileBytes(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FileError{FileErrorKind::NotFound, path};
    if (info.isDir())
        return FileError{FileErrorKind::Unreadable, path};
    if (info.size() > kMaxUserTextBytes)
        return FileError{FileErrorKind::TooLarge, path};

    // Only a regular file holds a text. A pipe would keep open() waiting for
    // a writer, and a device for ever: the path is opened without waiting,
    // and what it turned out to be is asked of the open file itself, so that
    // nothing swapped in after the look above is read either.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return FileError{FileErrorKind::Unreadable, path};
    struct stat opened
    {
    };
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return FileError{FileErrorKind::Unreadable, path};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileError{FileErrorKind::Unreadable, path};
    }
    // The size may have changed since it was looked at; read one byte past the
    // limit to know.
    const QByteArray bytes = file.read(kMaxUserTextBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return FileError{FileErrorKind::Unreadable, path};
    if (bytes.size() > kMaxUserTextBytes)
        return FileError{FileErrorKind::TooLarge, path};
    return bytes;
}

Result<UserText, FileError> ReadUserTextFile(const QString& path,
                                             std::optional<TextEncoding> encoding)
{
    auto read = ReadUserFileBytes(path);
    if (!read)
        return read.error();
    const QByteArray& bytes = read.value();
    const bool utf16 = encoding ? *encoding == TextEncoding::Utf16
                                : bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    const auto notText = [&path](int line) {
        FileError error{FileErrorKind::NotText, path};
        error.line = line;
        return error;
    };
    if (const qsizetype nul = bytes.indexOf('\0'); !utf16 && nul >= 0)
        return notText(lineAt(QByteArrayView(bytes), nul));
    // In UTF-16 a NUL is a character, not a byte; it would be written as a NUL
    // byte and read back from the work files as a character that cannot be
    // written.
    UserText decoded = encoding ? DecodeUserTextAs(bytes, *encoding) : DecodeUserText(bytes);
    if (const qsizetype nul = decoded.text.indexOf(QChar(0)); utf16 && nul >= 0)
        return notText(lineAt(QStringView(decoded.text), nul));
    if (!encoding)
        decoded.doubt = DoubtAboutReading(bytes, decoded);
    return decoded;
}

QStringList SplitWorkLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) != u'\r')
            continue;
        lines.append(text.sliced(start, i - start));
        if (i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.sliced(start));
    return lines;
}

Result<QStringList, FileError> ReadWorkFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return FileError{FileErrorKind::NotFound, path};
    if (!file.open(QIODevice::ReadOnly))
        return FileError{FileErrorKind::Unreadable, path};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileError{FileErrorKind::Unreadable, path};
    if (bytes.startsWith(kUtf8Bom))
        return SplitWorkLines(QString::fromUtf8(bytes.sliced(kUtf8Bom.size())));
    return SplitWorkLines(DecodeCp932(bytes).text);
}

namespace {

Result<void, FileError> writeWorkBytes(const QString& path, const QByteArray& bytes)
{
    // A link planted where a work file belongs is replaced, not written
    // through: whatever it points to stays as it is.
    if (QFileInfo(path).isSymLink() && !QFile::remove(path))
        return FileError{FileErrorKind::Unwritable, path};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return FileError{FileErrorKind::Unwritable, path};
    if (file.write(bytes) != bytes.size() || !file.flush())
        return FileError{FileErrorKind::Unwritable, path};
    file.close();
    if (file.error() != QFileDevice::NoError)
        return FileError{FileErrorKind::Unwritable, path};
    return {};
}

} // namespace

Result<void, FileError> WriteWorkText(const QString& path, const QString& text)
{
    auto encoded = EncodeCp932(text);
    if (!encoded) {
        const UnmappableCharacter& u = encoded.error();
        return FileError{FileErrorKind::Unmappable, path, u.character, u.line, u.column};
    }
    return writeWorkBytes(path, encoded.value());
}

Result<void, FileError> WriteWorkTextWhole(const QString& path, const QString& text)
{
    // Folding would read back as other characters than the ones timed, so
    // code page 932 is taken only where it gives back every character.
    QStringEncoder encoder(kCp932Name, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError() && DecodeCp932(bytes).text == text)
        return writeWorkBytes(path, bytes);
    return writeWorkBytes(path, kUtf8Bom + text.toUtf8());
}

QString JoinLinesCrLf(const QStringList& lines)
{
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    QString text;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n";
    }
    return text;
}

Result<void, FileError> WriteWorkLines(const QString& path, const QStringList& lines)
{
    return WriteWorkText(path, JoinLinesCrLf(lines));
}

Result<void, FileError> ReplaceUserFile(const QString& path, const QByteArray& bytes)
{
    // QSaveFile would rename its new file over whatever stands at the path,
    // so a device node or a pipe there would be replaced, not written to (as
    // root even /dev/full).
    if (const QFileInfo existing(path); existing.exists() && !existing.isFile())
        return FileError{FileErrorKind::Unwritable, path};

    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly))
        return FileError{FileErrorKind::Unwritable, path};
    // QSaveFile commits even when its last buffered write failed: flush first
    // and give up the new file if anything did not reach the disk.
    if (target.write(bytes) != bytes.size() || !target.flush()) {
        target.cancelWriting();
        target.commit();
        return FileError{FileErrorKind::Unwritable, path};
    }
    if (!target.commit())
        return FileError{FileErrorKind::Unwritable, path};
    return {};
}

} // namespace verselet
