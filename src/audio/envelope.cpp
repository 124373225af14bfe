#include "audio/envelope.h"

#include <QMetaObject>

#include <algorithm>
#include <limits>
#include <vector>

namespace verselet {

namespace {

constexpr qint16 kUnknownMin = std::numeric_limits<qint16>::max();
constexpr qint16 kUnknownMax = std::numeric_limits<qint16>::min();
// A second of audio per read and per delivery.
constexpr qint64 kReadFrames = kFrameRate;

} // namespace

EnvelopeBlocks MeasureBlocks(qint64 at, const qint16* frames, qint64 count)
{
    EnvelopeBlocks blocks;
    if (count <= 0)
        return blocks;
    blocks.first = at / kEnvelopeBlockFrames;
    const qint64 last = (at + count - 1) / kEnvelopeBlockFrames;
    blocks.mins.fill(kUnknownMin, last - blocks.first + 1);
    blocks.maxs.fill(kUnknownMax, last - blocks.first + 1);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 block = (at + i) / kEnvelopeBlockFrames - blocks.first;
        for (int c = 0; c < kChannels; ++c) {
            const qint16 s = frames[i * kChannels + c];
            blocks.mins[block] = std::min(blocks.mins.at(block), s);
            blocks.maxs[block] = std::max(blocks.maxs.at(block), s);
        }
    }
    return blocks;
}

void Envelope::reset(qint64 endFrame)
{
    const qint64 blocks = (endFrame + kEnvelopeBlockFrames - 1) / kEnvelopeBlockFrames;
    m_mins.fill(kUnknownMin, blocks);
    m_maxs.fill(kUnknownMax, blocks);
}

void Envelope::merge(const EnvelopeBlocks& blocks)
{
    for (qsizetype i = 0; i < blocks.mins.size(); ++i) {
        const qint64 b = blocks.first + i;
        if (b < 0 || b >= blockCount())
            continue;
        m_mins[b] = std::min(m_mins.at(b), blocks.mins.at(i));
        m_maxs[b] = std::max(m_maxs.at(b), blocks.maxs.at(i));
    }
}

bool Envelope::extremes(qint64 first, qint64 last, qint16& min, qint16& max) const
{
    first = std::max<qint64>(first, 0);
    last = std::min(last, blockCount() - 1);
    qint16 lo = kUnknownMin;
    qint16 hi = kUnknownMax;
    for (qint64 b = first; b <= last; ++b) {
        lo = std::min(lo, m_mins.at(b));
        hi = std::max(hi, m_maxs.at(b));
    }
    if (lo > hi)
        return false;
    min = lo;
    max = hi;
    return true;
}

EnvelopeCache::EnvelopeCache(QObject* parent) : QObject(parent) {}

EnvelopeCache::~EnvelopeCache()
{
    stopReading();
}

void EnvelopeCache::stopReading()
{
    m_cancel.store(true);
    if (m_reader.joinable())
        m_reader.join();
    m_cancel.store(false);
}

void EnvelopeCache::setDisc(std::shared_ptr<const Disc> disc, bool readAhead)
{
    stopReading();
    ++m_generation;
    m_disc = std::move(disc);
    m_readAhead = readAhead;
    m_requested.clear();
    m_queue.clear();
    m_envelope.reset(m_disc ? m_disc->endFrame() : 0);
    Q_EMIT changed();
}

void EnvelopeCache::request(int track)
{
    if (!m_disc || !m_readAhead || track < 1 || track > m_disc->tracks().size() ||
        m_requested.contains(track))
        return;
    m_requested.append(track);
    m_queue.append(track);
    if (!m_reader.joinable())
        readNext();
}

void EnvelopeCache::readNext()
{
    if (m_reader.joinable())
        m_reader.join();
    if (m_queue.isEmpty() || !m_disc)
        return;
    const std::shared_ptr<const Disc> disc = m_disc;
    const DiscTrack track = disc->tracks().at(m_queue.takeFirst() - 1);
    const int generation = m_generation;
    m_reader = std::thread([this, disc, track, generation] {
        std::unique_ptr<DiscReader> reader = disc->openReader();
        std::vector<qint16> buffer(size_t(kReadFrames) * kChannels);
        // From the start of the block the track begins in, so that whole
        // blocks arrive.
        qint64 at = track.startFrame / kEnvelopeBlockFrames * kEnvelopeBlockFrames;
        const qint64 end = track.startFrame + track.frames;
        while (reader && at < end && !m_cancel.load()) {
            const qint64 got = reader->read(at, buffer.data(), std::min(kReadFrames, end - at));
            if (got <= 0)
                break;
            feed(generation, at, buffer.data(), got);
            at += got;
        }
        // The next track, on the GUI thread.
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == m_generation)
                    readNext();
            },
            Qt::QueuedConnection);
    });
}

void EnvelopeCache::feed(int generation, qint64 at, const qint16* frames, qint64 count)
{
    EnvelopeBlocks blocks = MeasureBlocks(at, frames, count);
    QMetaObject::invokeMethod(
        this,
        [this, generation, blocks = std::move(blocks)] {
            if (generation == m_generation)
                arrive(blocks);
        },
        Qt::QueuedConnection);
}

void EnvelopeCache::arrive(const EnvelopeBlocks& blocks)
{
    m_envelope.merge(blocks);
    Q_EMIT changed();
}

} // namespace verselet
