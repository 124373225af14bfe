#include "audio/audiofilesdisc.h"
#include "audio/disc.h"

#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <complex>
#include <vector>

using namespace verselet;
using namespace Qt::StringLiterals;

namespace {

// A stereo float WAV (no quantisation of its own) of the sum of `tones`,
// each at amplitude `level`, from phase 0 at its first frame.
bool writeTones(const QString& path, int rate, qint64 frames, const QList<double>& tones,
                double level)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    std::vector<float> samples(size_t(frames) * 2);
    for (qint64 i = 0; i < frames; ++i) {
        double v = 0;
        for (double hz : tones)
            v += level * std::sin(2 * M_PI * hz * double(i) / rate);
        samples[size_t(i * 2)] = samples[size_t(i * 2 + 1)] = float(v);
    }
    const bool ok = sf_writef_float(f, samples.data(), frames) == frames;
    sf_close(f);
    return ok;
}

// The left channel of `frames` disc frames from `at`, read by a fresh reader
// that jumps there, or on from the disc's start.
std::vector<qint16> readLeft(const Disc& disc, qint64 at, qint64 frames, bool fromStart)
{
    auto reader = disc.openReader();
    std::vector<qint16> buf(size_t(at + frames) * 2);
    const qint64 from = fromStart ? 0 : at;
    if (reader->read(from, buf.data(), at + frames - from) != at + frames - from)
        return {};
    std::vector<qint16> left;
    for (qint64 i = at - from; i < at + frames - from; ++i)
        left.push_back(buf[size_t(i * 2)]);
    return left;
}

// The power spectrum in dB of `x` through a 4-term Blackman-Harris window,
// bin by bin.
std::vector<double> spectrumDb(const std::vector<qint16>& x)
{
    const size_t n = x.size();
    std::vector<double> windowed(n);
    for (size_t i = 0; i < n; ++i) {
        const double p = 2 * M_PI * double(i) / double(n);
        windowed[i] = (0.35875 - 0.48829 * std::cos(p) + 0.14128 * std::cos(2 * p) -
                       0.01168 * std::cos(3 * p)) *
                      x[i];
    }
    std::vector<double> db(n / 2);
    for (size_t k = 0; k < n / 2; ++k) {
        const std::complex<double> step = std::polar(1.0, -2 * M_PI * double(k) / double(n));
        std::complex<double> w = 1;
        std::complex<double> sum = 0;
        for (size_t i = 0; i < n; ++i, w *= step)
            sum += windowed[i] * w;
        db[k] = 10 * std::log10(std::norm(sum) + 1e-30);
    }
    return db;
}

} // namespace

class TestResampler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertedToneStandsAlone_data();
    void convertedToneStandsAlone();
    void jumpGivesWhatReadingOnGives_data();
    void jumpGivesWhatReadingOnGives();

private:
    QTemporaryDir m_dir;
};

void TestResampler::convertedToneStandsAlone_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<double>("hz");
    QTest::newRow("48 kHz, 19 kHz tone") << 48000 << 19000.0;
    QTest::newRow("22.05 kHz, 9.5 kHz tone") << 22050 << 9500.0;
    QTest::newRow("96 kHz, 19 kHz tone") << 96000 << 19000.0;
    QTest::newRow("32 kHz, 13 kHz tone") << 32000 << 13000.0;
}

void TestResampler::convertedToneStandsAlone()
{
    QFETCH(int, rate);
    QFETCH(double, hz);
    const QString path = m_dir.filePath(u"tone-%1.wav"_s.arg(rate));
    QVERIFY(writeTones(path, rate, rate * 2, {hz}, 0.5));
    const auto disc = OpenAudioFilesDisc(path);
    QVERIFY(disc);
    // A stretch from half a second in, away from the start.
    constexpr qint64 kSize = 8192;
    const std::vector<double> db = spectrumDb(readLeft(*disc, kFrameRate / 2, kSize, false));
    QVERIFY(!db.empty());
    const auto peak = std::max_element(db.begin(), db.end());
    const double toneBin = hz * kSize / kFrameRate;
    QVERIFY2(std::abs(double(peak - db.begin()) - toneBin) <= 1, "the tone moved");
    // Everything beyond the window's skirt around the tone (its sidelobes
    // are at -92 dB), 43 Hz either side.
    double worst = -1000;
    for (size_t k = 0; k < db.size(); ++k) {
        if (std::abs(double(k) - toneBin) > 8)
            worst = std::max(worst, db[k] - *peak);
    }
    QVERIFY2(worst < -80, qPrintable(u"strongest other component %1 dB"_s.arg(worst, 0, 'f', 1)));
}

void TestResampler::jumpGivesWhatReadingOnGives_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<qint64>("at");
    QTest::newRow("48 kHz, early") << 48000 << qint64(1500);
    QTest::newRow("48 kHz, a period boundary") << 48000 << qint64(147 * 300);
    QTest::newRow("48 kHz, one past it") << 48000 << qint64(147 * 300 + 1);
    QTest::newRow("22.05 kHz") << 22050 << qint64(33333);
    QTest::newRow("96 kHz") << 96000 << qint64(70001);
    QTest::newRow("44.056 kHz, a long period") << 44056 << qint64(60000);
    QTest::newRow("48 kHz, the last frames") << 48000 << qint64(3 * kFrameRate - 500);
}

void TestResampler::jumpGivesWhatReadingOnGives()
{
    QFETCH(int, rate);
    QFETCH(qint64, at);
    const QList<double> tones{997, 4000, 9000};
    const QString path = m_dir.filePath(u"tones-%1.wav"_s.arg(rate));
    QVERIFY(writeTones(path, rate, rate * 3, tones, 0.2));
    const auto disc = OpenAudioFilesDisc(path);
    QVERIFY(disc);
    const qint64 frames = std::min<qint64>(2000, disc->endFrame() - at);
    const std::vector<qint16> jumped = readLeft(*disc, at, frames, false);
    const std::vector<qint16> readOn = readLeft(*disc, at, frames, true);
    QCOMPARE(jumped.size(), size_t(frames));
    QCOMPARE(readOn.size(), size_t(frames));
    for (qint64 i = 0; i < frames; ++i) {
        QVERIFY2(std::abs(jumped[size_t(i)] - readOn[size_t(i)]) <= 1,
                 qPrintable(QString::number(i)));
        // Disc frame N is the file at N / 44100 s: a hundredth of a frame
        // off would be ten times this far from the tones at 9 kHz.
        double expected = 0;
        for (double hz : tones)
            expected += 0.2 * std::sin(2 * M_PI * hz * double(at + i) / kFrameRate);
        const qint64 tail = disc->endFrame() - (at + i);
        if (tail > 200)
            QVERIFY2(std::abs(jumped[size_t(i)] / 32768.0 - expected) < 0.0005,
                     qPrintable(u"frame %1: %2 for %3"_s.arg(at + i)
                                    .arg(jumped[size_t(i)])
                                    .arg(expected * 32768)));
    }
}

QTEST_APPLESS_MAIN(TestResampler)
#include "tst_resampler.moc"
