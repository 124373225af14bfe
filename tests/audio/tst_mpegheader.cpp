#include "audio/audiofilesdisc.h"
#include "audio/mpegheader.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <optional>
#include <vector>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// What libsndfile really decodes the file to.
qint64 decodedFrames(const QString& path)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return -1;
    std::vector<float> buf(size_t(4096) * size_t(info.channels));
    qint64 total = 0;
    for (sf_count_t n; (n = sf_readf_float(f, buf.data(), 4096)) > 0;)
        total += n;
    sf_close(f);
    return total;
}

// What the file's bytes say, as the disc reads them: the stream after any
// ID3v2 tag.
std::optional<qint64> statedFrames(const QByteArray& file, qint64 fileSize)
{
    const qint64 start = Id3v2TagSize(file);
    return MpegFramesFromHeader(file.mid(start), fileSize - start);
}

// An MPEG-1 layer III frame at 128 kbit/s, 44.1 kHz, stereo (417 bytes),
// whose side information is followed by `fields`, then the next header.
QByteArray frameWith(const QByteArray& fields, QByteArray header = {"\xff\xfb\x90\x00", 4})
{
    QByteArray frame = header + QByteArray(32, '\0') + fields;
    frame.resize(417, '\0');
    return frame + header;
}

// Xing fields: flags 1 (frames), 2 (bytes), 4 (table), 8 (quality), and a
// LAME tag with the delay and padding when `lame`.
QByteArray xing(quint32 flags, quint32 frames, bool lame = true, int delay = 576,
                int padding = 1000, const QByteArray& tag = "Xing")
{
    QByteArray x = tag;
    const auto word = [&x](quint32 v) {
        for (int s = 24; s >= 0; s -= 8)
            x.append(char((v >> s) & 0xff));
    };
    word(flags);
    if (flags & 1)
        word(frames);
    if (flags & 2)
        word(417);
    x.append(QByteArray((flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0), '\x01'));
    if (lame)
        x += "LAME3.100" + QByteArray(12, '\0') + char(delay >> 4) +
             char(((delay & 15) << 4) | (padding >> 8)) + char(padding & 0xff);
    return x;
}

} // namespace

class TestMpegHeader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statedLengthIsWhatDecodes_data();
    void statedLengthIsWhatDecodes();
    void hostileBytes_data();
    void hostileBytes();

private:
    QTemporaryDir m_dir;
};

void TestMpegHeader::statedLengthIsWhatDecodes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("stated");
    const QStringList vbr{u"-q:a"_s, u"4"_s};
    QTest::newRow("CBR 128 kbit/s") << QStringList{u"-b:a"_s, u"128k"_s} << true;
    QTest::newRow("VBR") << vbr << true;
    QTest::newRow("VBR mono") << vbr + QStringList{u"-ac"_s, u"1"_s} << true;
    QTest::newRow("32 kHz") << vbr + QStringList{u"-ar"_s, u"32000"_s} << true;
    QTest::newRow("48 kHz") << vbr + QStringList{u"-ar"_s, u"48000"_s} << true;
    QTest::newRow("22.05 kHz, MPEG-2") << vbr + QStringList{u"-ar"_s, u"22050"_s} << true;
    QTest::newRow("8 kHz, MPEG-2.5") << vbr + QStringList{u"-ar"_s, u"8000"_s} << true;
    QTest::newRow("24 kHz mono CBR")
        << QStringList{u"-ac"_s, u"1"_s, u"-ar"_s, u"24000"_s, u"-b:a"_s, u"32k"_s} << true;
    QTest::newRow("after an ID3v2 tag larger than what is read of the stream")
        << vbr + QStringList{u"-metadata"_s, u"comment="_s + QString(40000, u'x')} << true;
    QTest::newRow("VBR without Xing frame") << vbr + QStringList{u"-write_xing"_s, u"0"_s} << false;
    QTest::newRow("CBR without Info frame")
        << QStringList{u"-b:a"_s, u"128k"_s, u"-write_xing"_s, u"0"_s} << false;
}

void TestMpegHeader::statedLengthIsWhatDecodes()
{
    QFETCH(QStringList, options);
    QFETCH(bool, stated);
    const QString ffmpeg = QStandardPaths::findExecutable(u"ffmpeg"_s);
    if (ffmpeg.isEmpty())
        QSKIP("ffmpeg is not installed; tools/install-deps.sh installs it");
    const QString mp3 = m_dir.filePath(
        QString::fromLatin1(QTest::currentDataTag()).replace(QRegularExpression(u"\\W"_s), u"-"_s) +
        u".mp3"_s);
    QProcess p;
    p.start(ffmpeg,
            QStringList{u"-v"_s, u"error"_s, u"-y"_s, u"-f"_s, u"lavfi"_s, u"-i"_s,
                        u"anoisesrc=d=3.3:c=pink:a=0.3"_s, u"-ac"_s, u"2"_s, u"-ar"_s, u"44100"_s} +
                options + QStringList{mp3});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    const qint64 decoded = decodedFrames(mp3);
    QVERIFY(decoded > 0);
    QFile file(mp3);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::optional<qint64> fromHeader = statedFrames(file.readAll(), file.size());
    QCOMPARE(fromHeader.has_value(), stated);
    if (stated)
        QCOMPARE(*fromHeader, decoded);
    // The disc's track is what decodes, stated or counted.
    const auto disc = OpenAudioFilesDisc(mp3);
    QVERIFY(disc);
    if (!options.contains(u"-ar"_s))
        QCOMPARE(disc->endFrame(), decoded);
}

void TestMpegHeader::hostileBytes_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("fileSize"); // -1: the bytes' own size
    QTest::addColumn<qint64>("frames");   // -1: nothing stated
    // Ten frames of 1152 samples, less the cuts.
    QTest::newRow("Xing with LAME tag") << frameWith(xing(15, 10)) << -1LL << 9944LL;
    QTest::newRow("padding shorter than the decoder's delay")
        << frameWith(xing(1, 10, true, 576, 100, "Info")) << -1LL << 10415LL;
    QTest::newRow("no LAME tag") << frameWith(xing(3, 10, false)) << -1LL << 10991LL;
    QTest::newRow("junk and a false sync before the first frame")
        << "\xff\xfb\x90junk\xff" + frameWith(xing(15, 10)) << -1LL << 9944LL;
    // MPEG-2.5, 8 kHz, 8 kbit/s: 72 bytes, too few for the table and the tag.
    const QByteArray small("\xff\xe3\x18\x00", 4);
    QByteArray tiny = small + QByteArray(17, '\0') + xing(5, 10);
    tiny.resize(72);
    QTest::newRow("table cut off by the frame's end") << tiny + small << -1LL << 5231LL;
    QTest::newRow("file shorter than the Xing frame's byte count")
        << frameWith(xing(3, 10)) << 400LL << -1LL;
    QTest::newRow("frame count 0") << frameWith(xing(15, 0)) << -1LL << -1LL;
    QTest::newRow("no frame count") << frameWith(xing(14, 10)) << -1LL << -1LL;
    QTest::newRow("delay and padding longer than the frames")
        << frameWith(xing(1, 1, true, 4095, 4095)) << -1LL << -1LL;
    QTest::newRow("VBRI frame") << frameWith(QByteArray("VBRI\0\1", 6) + QByteArray(20, '\5'))
                                << -1LL << -1LL;
    QTest::newRow("side information not zero")
        << frameWith(xing(15, 10)).replace(10, 1, "\x07") << -1LL << -1LL;
    QTest::newRow("layer II") << frameWith(xing(15, 10), {"\xff\xfd\x90\x00", 4}) << -1LL << -1LL;
    QTest::newRow("free format") << frameWith(xing(15, 10), {"\xff\xfb\x00\x00", 4}) << -1LL
                                 << -1LL;
    QTest::newRow("cut off inside the first frame")
        << frameWith(xing(15, 10)).left(300) << -1LL << -1LL;
    QTest::newRow("empty") << QByteArray() << -1LL << -1LL;
    // A tag that holds what would be read as a stream of three frames.
    const QByteArray tag = QByteArray("ID3\4\0\0\0\0\3\x25", 10) + frameWith(xing(15, 3));
    QTest::newRow("after an ID3v2 tag") << tag + frameWith(xing(15, 10)) << -1LL << 9944LL;
    QTest::newRow("ID3v2 tag of the largest size")
        << QByteArray("ID3\4\0\0\x7f\x7f\x7f\x7f", 10) + frameWith(xing(15, 10)) << -1LL << -1LL;
}

void TestMpegHeader::hostileBytes()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, fileSize);
    QFETCH(qint64, frames);
    QCOMPARE(statedFrames(file, fileSize < 0 ? file.size() : fileSize).value_or(-1), frames);
}

QTEST_APPLESS_MAIN(TestMpegHeader)
#include "tst_mpegheader.moc"
