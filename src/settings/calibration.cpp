#include "settings/calibration.h"

#include "document/textfile.h"
#include "settings/driveconfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace verselet {

using namespace Qt::StringLiterals;

namespace {

// calibration.dat is one short line. Reading stops here, so that a file that
// points at something endless cannot stall the window.
constexpr qint64 kMaxCalibrationBytes = 4096;

// The click: a 1.5 kHz tone at half of full scale that starts at its peak
// (a cosine), dies away quickly and is faded to nothing by the end of the
// burst, so that it neither starts from a zero sample nor ends in a crack.
std::vector<qint16> ClickBurst()
{
    constexpr double kTone = 1500.0;
    constexpr double kPeak = 16384.0;
    constexpr double kDecayFrames = kFrameRate * 0.006; // 6 ms
    std::vector<qint16> burst(static_cast<size_t>(kClickFrames));
    for (qint64 n = 0; n < kClickFrames; ++n) {
        const double phase = 2.0 * std::numbers::pi * kTone * double(n) / kFrameRate;
        const double envelope =
            std::exp(-double(n) / kDecayFrames) * (1.0 - double(n) / double(kClickFrames));
        burst[size_t(n)] = qint16(std::lround(kPeak * std::cos(phase) * envelope));
    }
    return burst;
}

struct ClickTrackData
{
    std::vector<qint64> clickFrames; // ascending
    std::vector<qint16> burst;
    qint64 frames = 0;
};

class ClickTrackReader final : public DiscReader
{
public:
    explicit ClickTrackReader(std::shared_ptr<const ClickTrackData> data) : m_data(std::move(data))
    {
    }

    qint64 read(qint64 at, qint16* out, qint64 frames) override
    {
        if (at < 0 || at >= m_data->frames || frames <= 0)
            return 0;
        const qint64 count = std::min(frames, m_data->frames - at);
        std::fill(out, out + count * kChannels, qint16(0));
        const qint64 burstFrames = qint64(m_data->burst.size());
        // The first click whose burst may reach into [at, at + count).
        auto click = std::lower_bound(m_data->clickFrames.begin(), m_data->clickFrames.end(),
                                      at - burstFrames + 1);
        for (; click != m_data->clickFrames.end() && *click < at + count; ++click) {
            const qint64 from = std::max(at, *click);
            const qint64 to = std::min(at + count, *click + burstFrames);
            for (qint64 f = from; f < to; ++f) {
                const qint16 sample = m_data->burst[size_t(f - *click)];
                for (int c = 0; c < kChannels; ++c) {
                    qint16& s = out[(f - at) * kChannels + c];
                    // Clicks closer than a burst add up, as two sounds would.
                    s = qint16(std::clamp(int(s) + int(sample), -32768, 32767));
                }
            }
        }
        return count;
    }

private:
    std::shared_ptr<const ClickTrackData> m_data;
};

class ClickTrack final : public Disc
{
public:
    explicit ClickTrack(std::shared_ptr<const ClickTrackData> data)
        : m_data(std::move(data)), m_tracks{DiscTrack{0, m_data->frames, true}}
    {
    }

    const QList<DiscTrack>& tracks() const override { return m_tracks; }
    std::unique_ptr<DiscReader> openReader() const override
    {
        return std::make_unique<ClickTrackReader>(m_data);
    }

private:
    std::shared_ptr<const ClickTrackData> m_data;
    QList<DiscTrack> m_tracks;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t half = values.size() / 2;
    return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2.0;
}

// An optional sign and at least one digit, nothing else.
bool IsSignedDecimal(const QByteArray& text)
{
    qsizetype i = text.startsWith('+') || text.startsWith('-') ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (text.at(i) < '0' || text.at(i) > '9')
            return false;
    }
    return true;
}

// "+132", "+0", "-40".
QString SignedMs(qint32 ms)
{
    return ms < 0 ? QString::number(ms) : u"+"_s + QString::number(ms);
}

} // namespace

QList<qint32> CalibrationClickTimes(quint32 seed)
{
    QRandomGenerator random(seed);
    QList<qint32> times;
    times.reserve(kCalibrationClicks);
    qint32 at = kCalibrationLeadInMs;
    for (int i = 0; i < kCalibrationClicks; ++i) {
        if (i > 0)
            at += qint32(random.bounded(kCalibrationMinGapMs, kCalibrationMaxGapMs + 1));
        times.append(at);
    }
    return times;
}

std::shared_ptr<const Disc> MakeClickTrack(const QList<qint32>& clickTimesMs)
{
    auto data = std::make_shared<ClickTrackData>();
    data->burst = ClickBurst();
    qint64 last = 0;
    for (const qint32 ms : clickTimesMs) {
        data->clickFrames.push_back(MsToFrames(std::max<qint32>(ms, 0)));
        last = std::max<qint64>(last, std::max<qint32>(ms, 0));
    }
    std::sort(data->clickFrames.begin(), data->clickFrames.end());
    data->frames = MsToFrames(last + kCalibrationTailMs);
    return std::make_shared<ClickTrack>(std::move(data));
}

QList<qint32> MatchPresses(const QList<qint32>& clickTimesMs, const QList<qint32>& pressTimesMs)
{
    // The earliest press of each click.
    std::vector<std::optional<qint32>> earliest(size_t(clickTimesMs.size()));
    for (const qint32 press : pressTimesMs) {
        qsizetype nearest = -1;
        qint64 distance = 0;
        for (qsizetype i = 0; i < clickTimesMs.size(); ++i) {
            const qint64 d = std::abs(qint64(press) - clickTimesMs.at(i));
            if (nearest < 0 || d < distance ||
                (d == distance && clickTimesMs.at(i) < clickTimesMs.at(nearest))) {
                nearest = i;
                distance = d;
            }
        }
        if (nearest < 0 || distance > kCalibrationMatchMs)
            continue;
        std::optional<qint32>& first = earliest[size_t(nearest)];
        if (!first || press < *first)
            first = press;
    }
    QList<qint32> lags;
    for (qsizetype i = 0; i < clickTimesMs.size(); ++i) {
        if (earliest[size_t(i)])
            lags.append(*earliest[size_t(i)] - clickTimesMs.at(i));
    }
    return lags;
}

std::optional<CalibrationResult> SummarizeLags(const QList<qint32>& lagsMs)
{
    if (lagsMs.size() < kCalibrationMinPresses)
        return std::nullopt;
    const double median = Median(std::vector<double>(lagsMs.begin(), lagsMs.end()));
    std::vector<double> deviations;
    deviations.reserve(size_t(lagsMs.size()));
    for (const qint32 lag : lagsMs)
        deviations.push_back(std::abs(double(lag) - median));
    CalibrationResult result;
    result.lagMs = qint32(std::lround(median));
    result.spreadMs = qint32(std::lround(Median(std::move(deviations))));
    return result;
}

namespace {

struct Calibration
{
    Q_DECLARE_TR_FUNCTIONS(Calibration)
};

} // namespace

QString CalibrationText(const CalibrationResult& result)
{
    return Calibration::tr("補正 %1 ms (±%2)").arg(SignedMs(result.lagMs)).arg(result.spreadMs);
}

QString CalibrationPath()
{
    return ConfigFolder() + u"/calibration.dat"_s;
}

QByteArray CalibrationBytes(qint32 offsetMs)
{
    return QByteArray::number(std::clamp(offsetMs, -kCalibrationLimitMs, kCalibrationLimitMs)) +
           "\r\n";
}

qint32 CalibrationFromBytes(const QByteArray& bytes)
{
    qsizetype end = 0;
    while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
        ++end;
    const QByteArray line = bytes.left(end).trimmed();
    if (!IsSignedDecimal(line))
        return 0;
    bool ok = false;
    const qlonglong value = line.toLongLong(&ok);
    if (!ok || value < -kCalibrationLimitMs || value > kCalibrationLimitMs)
        return 0;
    return qint32(value);
}

qint32 ReadCalibration(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return 0;
    return CalibrationFromBytes(file.read(kMaxCalibrationBytes));
}

qint32 ReadCalibration()
{
    return ReadCalibration(CalibrationPath());
}

bool WriteCalibration(const QString& path, qint32 offsetMs)
{
    // Replaced whole or not at all, as config.dat is.
    return QDir().mkpath(QFileInfo(path).absolutePath()) &&
           ReplaceUserFile(path, CalibrationBytes(offsetMs)).ok();
}

bool WriteCalibration(qint32 offsetMs)
{
    return WriteCalibration(CalibrationPath(), offsetMs);
}

} // namespace verselet
