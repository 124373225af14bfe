#pragma once

// The envelope of a disc's audio, for the waveform strip: the smallest and
// the largest sample of every block of 10 ms (441 frames, both channels
// together), on the disc's time line. Blocks are known as they arrive, in any
// order: read ahead from a disc image or audio files, or built from the
// frames heard while a CD drive plays.

#include "audio/disc.h"

#include <QList>
#include <QObject>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace verselet {

inline constexpr int kEnvelopeBlockFrames = 441;

// Minima and maxima of consecutive blocks starting at a block index.
struct EnvelopeBlocks
{
    qint64 first = 0;
    QList<qint16> mins;
    QList<qint16> maxs;
};

// The blocks the frames [at, at + count) of the disc touch; a block only
// partly covered has the extremes of the part that is.
EnvelopeBlocks MeasureBlocks(qint64 at, const qint16* frames, qint64 count);

// Every block of a disc, unknown until measured.
class Envelope final
{
public:
    void reset(qint64 endFrame);
    qint64 blockCount() const { return m_mins.size(); }
    // Merges measured blocks in: a block measured in parts takes the
    // extremes of all of them.
    void merge(const EnvelopeBlocks& blocks);
    bool known(qint64 block) const { return m_mins.at(block) <= m_maxs.at(block); }
    qint16 min(qint64 block) const { return m_mins.at(block); }
    qint16 max(qint64 block) const { return m_maxs.at(block); }
    // The extremes over the known blocks of [first, last]; false when none
    // is known.
    bool extremes(qint64 first, qint64 last, qint16& min, qint16& max) const;

private:
    QList<qint16> m_mins;
    QList<qint16> m_maxs;
};

// The envelope of the disc a device has open, read ahead track by track on a
// thread of its own (never for a drive: one reader on a drive), or fed with
// what the drive plays. Lives on the GUI thread; changed() says when more has
// arrived.
class EnvelopeCache final : public QObject
{
    Q_OBJECT

public:
    explicit EnvelopeCache(QObject* parent = nullptr);
    ~EnvelopeCache() override;

    // Drops what was kept; `readAhead` says whether request() may read the
    // disc itself.
    void setDisc(std::shared_ptr<const Disc> disc, bool readAhead);
    // Reads the 1-based track ahead, unless it is read or being read.
    void request(int track);
    const Envelope& envelope() const { return m_envelope; }
    // Which disc setDisc() took last; a feed says which one its frames are of.
    int generation() const { return m_generation; }
    // Frames of the disc of `generation` as they were heard; from any thread.
    // Frames of a disc that has been replaced since are dropped.
    void feed(int generation, qint64 at, const qint16* frames, qint64 count);

Q_SIGNALS:
    void changed();

private:
    void stopReading();
    // Reads the next queued track on the reader thread, once the last one
    // has ended.
    void readNext();
    void arrive(const EnvelopeBlocks& blocks);

    std::shared_ptr<const Disc> m_disc;
    bool m_readAhead = false;
    Envelope m_envelope;
    QList<int> m_requested;
    QList<int> m_queue;
    std::thread m_reader;
    std::atomic<bool> m_cancel{false};
    int m_generation = 0;
};

} // namespace verselet
