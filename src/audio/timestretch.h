#pragma once

// Slower playback with the pitch kept: CD frames of the song go in, frames
// to be heard come out, `speed` times as many song frames per second of
// output. The stretcher's own delay is taken off at both ends, so that the
// k-th frame out is heard where the song is at k × speed frames from the
// first frame in.

#include <QtGlobal>

#include <memory>
#include <vector>

namespace RubberBand {
class RubberBandStretcher;
}

namespace verselet {

class TimeStretch final
{
public:
    // `speed` below 1 slows the song down (0.5: half as fast).
    explicit TimeStretch(double speed);
    ~TimeStretch();
    TimeStretch(const TimeStretch&) = delete;
    TimeStretch& operator=(const TimeStretch&) = delete;

    double speed() const { return m_speed; }
    // Song frames it asks for before it can give more out.
    qint64 wanted() const;
    // Takes song frames (stereo, interleaved); with `last`, the song ends
    // there and what it still holds comes out.
    void push(const qint16* frames, qint64 count, bool last = false);
    // Frames ready to be heard.
    qint64 available() const;
    // Takes at most `count` of them; how many it took.
    qint64 pull(qint16* frames, qint64 count);
    // The last frame has gone in.
    bool ended() const { return m_last; }
    // Everything pushed up to the last frame has come out.
    bool drained() const;

private:
    // Drops what is ready of the delay.
    void dropDelay();

    const double m_speed;
    std::unique_ptr<RubberBand::RubberBandStretcher> m_stretcher;
    // Frames still to be dropped from the output: the stretcher's delay.
    qint64 m_delay = 0;
    bool m_last = false;
    std::vector<float> m_in[2];
    std::vector<float> m_out[2];
};

} // namespace verselet
