#pragma once

// A single-producer, single-consumer ring of stereo frames: the reader thread
// fills it, the output thread drains it; neither waits for the other.

#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

namespace verselet {

class FrameRing final
{
public:
    explicit FrameRing(qint64 capacityFrames)
        : m_capacity(capacityFrames), m_samples(size_t(capacityFrames) * 2)
    {
    }

    qint64 capacity() const { return m_capacity; }
    qint64 available() const
    {
        return m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_relaxed);
    }
    qint64 space() const
    {
        return m_capacity -
               (m_written.load(std::memory_order_relaxed) - m_read.load(std::memory_order_acquire));
    }

    // Producer side.
    qint64 push(const qint16* frames, qint64 count)
    {
        const qint64 written = m_written.load(std::memory_order_relaxed);
        const qint64 n =
            std::min(count, m_capacity - (written - m_read.load(std::memory_order_acquire)));
        copy(written, n, [&](qint64 ringAt, qint64 srcAt, qint64 len) {
            std::memcpy(&m_samples[size_t(ringAt) * 2], frames + srcAt * 2, size_t(len) * 4);
        });
        m_written.store(written + n, std::memory_order_release);
        return n;
    }

    // Consumer side.
    qint64 pop(qint16* frames, qint64 count)
    {
        const qint64 read = m_read.load(std::memory_order_relaxed);
        const qint64 n = std::min(count, m_written.load(std::memory_order_acquire) - read);
        copy(read, n, [&](qint64 ringAt, qint64 dstAt, qint64 len) {
            std::memcpy(frames + dstAt * 2, &m_samples[size_t(ringAt) * 2], size_t(len) * 4);
        });
        m_read.store(read + n, std::memory_order_release);
        return n;
    }

private:
    template <typename Copy> void copy(qint64 from, qint64 n, Copy&& part) const
    {
        const qint64 at = from % m_capacity;
        const qint64 first = std::min(n, m_capacity - at);
        if (first > 0)
            part(at, 0, first);
        if (n > first)
            part(0, first, n - first);
    }

    const qint64 m_capacity;
    std::vector<qint16> m_samples;
    std::atomic<qint64> m_written{0};
    std::atomic<qint64> m_read{0};
};

} // namespace verselet
