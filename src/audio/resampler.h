#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

struct soxr;

namespace verselet {

// Converts interleaved stereo float audio from one rate to another as a
// stream, with libsoxr. The output is delay-compensated: output frame j of a
// stream is the input at time j / outRate from the stream's first frame.
class Resampler final
{
public:
    // Where to start the input so that the output reaches frame `outFrame`
    // on the same time grid as a stream from frame 0: `inputFrame` is a whole
    // number of the rates' common periods before it (with room for the
    // filter to fill), and the first `discard` output frames come before
    // `outFrame`.
    struct Start
    {
        qint64 inputFrame = 0;
        qint64 discard = 0;
    };

    Resampler(int inRate, int outRate);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // False when libsoxr refused the rates.
    bool isValid() const { return m_soxr != nullptr; }
    Start startFor(qint64 outFrame) const;

    // Converts `frames` input frames and appends what comes out to `out`.
    void process(const float* in, qint64 frames, std::vector<float>& out);
    // The end of the input: appends what the filter still holds. Returns
    // false once nothing more comes out.
    bool flush(std::vector<float>& out);
    // Forgets the stream, for a new one from another place.
    void clear();

private:
    struct SoxrDeleter
    {
        void operator()(::soxr* s) const;
    };
    std::unique_ptr<::soxr, SoxrDeleter> m_soxr;
    qint64 m_inPeriod = 1;  // input frames of one common period of the rates
    qint64 m_outPeriod = 1; // the output frames of the same period
    qint64 m_warmUp = 0;    // input frames the filter needs before a start
    double m_ratio = 1;
};

} // namespace verselet
