#include "audio/audiooutput.h"
#include "audio/disc.h"

#include <QElapsedTimer>

#include <algorithm>

namespace verselet {

namespace {

class SilentOutput final : public AudioOutput
{
public:
    bool start() override
    {
        m_clock.start();
        m_handed = 0;
        m_starved = 0;
        return true;
    }
    void stop() override { m_clock.invalidate(); }
    qint64 writableFrames() override
    {
        // Time that passed with nothing to play plays nothing, as on a sound
        // card that ran dry.
        const qint64 clock = clockFrames();
        if (clock - m_starved > m_handed)
            m_starved = clock - m_handed;
        return std::max<qint64>(0, heard() + kBufferFrames - m_handed);
    }
    qint64 write(const qint16*, qint64 count) override
    {
        const qint64 n = std::min(count, writableFrames());
        m_handed += n;
        return n;
    }
    qint64 heldFrames() override { return m_handed - heard(); }
    bool isSilent() const override { return true; }

private:
    qint64 clockFrames() const
    {
        return m_clock.isValid() ? m_clock.nsecsElapsed() * kFrameRate / 1000000000 : 0;
    }
    // What a sound card would have played since the start.
    qint64 heard() const { return std::min(m_handed, clockFrames() - m_starved); }

    static constexpr qint64 kBufferFrames = kFrameRate / 20; // 50 ms
    QElapsedTimer m_clock;
    qint64 m_handed = 0;
    qint64 m_starved = 0;
};

} // namespace

std::unique_ptr<AudioOutput> MakeSilentOutput()
{
    return std::make_unique<SilentOutput>();
}

} // namespace verselet
