#include "audio/timestretch.h"

#include "audio/disc.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>

namespace verselet {

using RubberBand::RubberBandStretcher;

namespace {

// Real time, on the caller's thread: the output thread feeds it as it plays.
constexpr RubberBandStretcher::Options kOptions =
    RubberBandStretcher::OptionProcessRealTime | RubberBandStretcher::OptionThreadingNever;

constexpr qint64 kMostAtOnce = 4096;

float ToFloat(qint16 sample)
{
    return float(sample) / 32768.0f;
}

qint16 ToSample(float value)
{
    return qint16(std::clamp(std::lround(value * 32768.0f), -32768L, 32767L));
}

} // namespace

TimeStretch::TimeStretch(double speed)
    : m_speed(speed), m_stretcher(std::make_unique<RubberBandStretcher>(size_t(kFrameRate), 2,
                                                                        kOptions, 1.0 / speed, 1.0))
{
    m_stretcher->setMaxProcessSize(kMostAtOnce);
    for (auto* buffers : {m_in, m_out}) {
        buffers[0].resize(kMostAtOnce);
        buffers[1].resize(kMostAtOnce);
    }
    // Silence first, as much as the stretcher wants before the song, and its
    // delay dropped from what comes out: the song's first frame is then the
    // first frame heard.
    const qint64 pad = qint64(m_stretcher->getPreferredStartPad());
    std::fill(m_in[0].begin(), m_in[0].end(), 0.0f);
    std::fill(m_in[1].begin(), m_in[1].end(), 0.0f);
    for (qint64 done = 0; done < pad;) {
        const qint64 n = std::min(pad - done, kMostAtOnce);
        const float* in[2] = {m_in[0].data(), m_in[1].data()};
        m_stretcher->process(in, size_t(n), false);
        done += n;
    }
    m_delay = qint64(m_stretcher->getStartDelay());
    dropDelay();
}

TimeStretch::~TimeStretch() = default;

qint64 TimeStretch::wanted() const
{
    return m_last ? 0 : qint64(m_stretcher->getSamplesRequired());
}

void TimeStretch::push(const qint16* frames, qint64 count, bool last)
{
    if (m_last)
        return;
    do {
        const qint64 n = std::min(count, kMostAtOnce);
        for (qint64 i = 0; i < n; ++i) {
            m_in[0][size_t(i)] = ToFloat(frames[i * 2]);
            m_in[1][size_t(i)] = ToFloat(frames[i * 2 + 1]);
        }
        frames += n * 2;
        count -= n;
        const float* in[2] = {m_in[0].data(), m_in[1].data()};
        m_stretcher->process(in, size_t(n), last && count == 0);
    } while (count > 0);
    m_last = last;
    dropDelay();
}

void TimeStretch::dropDelay()
{
    while (m_delay > 0) {
        const int ready = m_stretcher->available();
        if (ready <= 0)
            return;
        const qint64 drop = std::min<qint64>({m_delay, ready, kMostAtOnce});
        float* out[2] = {m_out[0].data(), m_out[1].data()};
        m_stretcher->retrieve(out, size_t(drop));
        m_delay -= drop;
    }
}

qint64 TimeStretch::available() const
{
    return m_delay > 0 ? 0 : std::max(m_stretcher->available(), 0);
}

qint64 TimeStretch::pull(qint16* frames, qint64 count)
{
    const qint64 n = std::min({count, available(), kMostAtOnce});
    if (n <= 0)
        return 0;
    float* out[2] = {m_out[0].data(), m_out[1].data()};
    const qint64 got = qint64(m_stretcher->retrieve(out, size_t(n)));
    for (qint64 i = 0; i < got; ++i) {
        frames[i * 2] = ToSample(m_out[0][size_t(i)]);
        frames[i * 2 + 1] = ToSample(m_out[1][size_t(i)]);
    }
    return got;
}

bool TimeStretch::drained() const
{
    return m_last && m_stretcher->available() <= 0;
}

} // namespace verselet
