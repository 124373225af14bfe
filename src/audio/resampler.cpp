#include "audio/resampler.h"

#include <soxr.h>

#include <algorithm>
#include <numeric>

namespace verselet {

namespace {

constexpr unsigned kChannels = 2;
// Output frames asked of libsoxr at a time when it is flushed.
constexpr qint64 kFlushBlock = 4096;

} // namespace

void Resampler::SoxrDeleter::operator()(soxr* s) const
{
    soxr_delete(s);
}

Resampler::Resampler(int inRate, int outRate)
{
    if (inRate < 1 || outRate < 1)
        return;
    // HQ is 20-bit precision (aliasing and images below -120 dB), beyond the
    // 16-bit output; its passband reaches 91 % of the lower Nyquist rate.
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    m_soxr.reset(soxr_create(inRate, outRate, kChannels, &error, &io, &quality, &runtime));
    if (error)
        m_soxr.reset();
    const int common = std::gcd(inRate, outRate);
    m_inPeriod = inRate / common;
    m_outPeriod = outRate / common;
    m_ratio = double(outRate) / inRate;
    // The filter's reach on each side is far less than 50 ms of input.
    m_warmUp = inRate / 20;
}

Resampler::~Resampler() = default;

Resampler::Start Resampler::startFor(qint64 outFrame) const
{
    // The input frame at or before outFrame's time, less the warm-up,
    // rounded down to a whole period: there the two grids meet again.
    const qint64 at = outFrame / m_outPeriod * m_inPeriod;
    const qint64 periods = std::max<qint64>(at - m_warmUp, 0) / m_inPeriod;
    const qint64 inputFrame = periods * m_inPeriod;
    return {inputFrame, outFrame - periods * m_outPeriod};
}

void Resampler::process(const float* in, qint64 frames, std::vector<float>& out)
{
    while (frames > 0) {
        const qint64 room = qint64(double(frames) * m_ratio) + 64;
        const size_t used = out.size();
        out.resize(used + size_t(room) * kChannels);
        size_t taken = 0;
        size_t made = 0;
        soxr_process(m_soxr.get(), in, size_t(frames), &taken, out.data() + used, size_t(room),
                     &made);
        out.resize(used + made * kChannels);
        if (taken == 0 && made == 0)
            break;
        in += taken * kChannels;
        frames -= qint64(taken);
    }
}

bool Resampler::flush(std::vector<float>& out)
{
    const size_t used = out.size();
    out.resize(used + size_t(kFlushBlock) * kChannels);
    size_t made = 0;
    soxr_process(m_soxr.get(), nullptr, 0, nullptr, out.data() + used, size_t(kFlushBlock), &made);
    out.resize(used + made * kChannels);
    return made > 0;
}

void Resampler::clear()
{
    soxr_clear(m_soxr.get());
}

} // namespace verselet
