#include "cd/playbackengine.h"

#include "cd/framering.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <vector>

namespace verselet {

namespace {

constexpr qint64 kRingFrames = kFrameRate * 2;      // 2 s read ahead
constexpr qint64 kReadChunk = kFramesPerSector * 4; // 53 ms

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

// One run of playback from a frame on. The reader thread fills its ring, the
// output thread drains it and publishes what has been heard.
struct PlaySession
{
    PlaySession(qint64 start, qint64 end) : startFrame(start), endFrame(end), ring(kRingFrames) {}

    const qint64 startFrame;
    const qint64 endFrame;
    FrameRing ring;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> readerDone{false};
    std::atomic<bool> finished{false};

    // Written by the output thread only; read under a sequence count so that
    // the reader never waits: frames heard and handed over since the start,
    // and when that was so.
    std::atomic<quint32> sequence{0};
    std::atomic<qint64> heard{0};
    std::atomic<qint64> handed{0};
    std::atomic<qint64> stampNs{0};

    void publish(qint64 heardFrames, qint64 handedFrames, qint64 now)
    {
        const quint32 s = sequence.load(std::memory_order_relaxed);
        sequence.store(s + 1, std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_release);
        heard.store(heardFrames, std::memory_order_relaxed);
        handed.store(handedFrames, std::memory_order_relaxed);
        stampNs.store(now, std::memory_order_relaxed);
        sequence.store(s + 2, std::memory_order_release);
    }

    // Frames heard since the start, at this moment: the last published count
    // moved on by the time since, but never past what was handed over.
    qint64 heardNow() const
    {
        qint64 h = 0;
        qint64 given = 0;
        qint64 stamp = 0;
        for (;;) {
            const quint32 before = sequence.load(std::memory_order_acquire);
            h = heard.load(std::memory_order_relaxed);
            given = handed.load(std::memory_order_relaxed);
            stamp = stampNs.load(std::memory_order_relaxed);
            std::atomic_thread_fence(std::memory_order_acquire);
            if (!(before & 1) && sequence.load(std::memory_order_relaxed) == before)
                break;
        }
        if (stamp == 0 || finished.load(std::memory_order_acquire))
            return h;
        const qint64 since = (monotonicNs() - stamp) * kFrameRate / 1000000000;
        return std::min(given, h + since);
    }
};

// Lives on the output thread: owns the audio output and moves frames to it.
class OutputWorker final : public QObject
{
public:
    OutputWorker(AudioOutputFactory factory, std::atomic<bool>& silent)
        : m_factory(std::move(factory)), m_silent(silent), m_timer(new QTimer(this))
    {
        m_timer->setTimerType(Qt::PreciseTimer);
        m_timer->setInterval(5);
        QObject::connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    // Runs on the output thread once it is up.
    void createOutput()
    {
        m_output = m_factory ? m_factory() : nullptr;
        if (!m_output)
            m_output = MakeSilentOutput();
        m_silent.store(m_output->isSilent());
    }

    void begin(const std::shared_ptr<PlaySession>& session)
    {
        finish();
        m_session = session;
        m_handed = 0;
        if (!m_output->start()) {
            // No sound to be had: play on the clock rather than not at all.
            m_output = MakeSilentOutput();
            m_silent.store(true);
            m_output->start();
        }
        m_buffer.resize(size_t(kReadChunk) * 2);
        m_timer->start();
        tick();
    }

    void end()
    {
        finish();
        m_timer->stop();
        m_output.reset();
    }

private:
    void finish()
    {
        if (m_session) {
            m_output->stop();
            m_session.reset();
        }
    }

    void tick()
    {
        if (!m_session) {
            m_timer->stop();
            return;
        }
        PlaySession& s = *m_session;
        if (s.cancelled.load(std::memory_order_acquire)) {
            finish();
            m_timer->stop();
            return;
        }
        for (;;) {
            const qint64 n = std::min({m_output->writableFrames(), s.ring.available(), kReadChunk});
            if (n <= 0)
                break;
            s.ring.pop(m_buffer.data(), n);
            m_handed += m_output->write(m_buffer.data(), n);
        }
        const qint64 held = m_output->heldFrames();
        s.publish(m_handed - held, m_handed, monotonicNs());
        if (s.readerDone.load(std::memory_order_acquire) && s.ring.available() == 0 && held == 0) {
            s.finished.store(true, std::memory_order_release);
            finish();
            m_timer->stop();
        }
    }

    AudioOutputFactory m_factory;
    std::atomic<bool>& m_silent;
    std::unique_ptr<AudioOutput> m_output;
    std::shared_ptr<PlaySession> m_session;
    std::vector<qint16> m_buffer;
    qint64 m_handed = 0;
    QTimer* m_timer;
};

PlaybackEngine::PlaybackEngine(AudioOutputFactory outputs)
{
    m_outputThread = new QThread;
    m_outputThread->setObjectName(QStringLiteral("verselet-audio-output"));
    m_worker = new OutputWorker(std::move(outputs), m_silent);
    m_worker->moveToThread(m_outputThread);
    m_outputThread->start(QThread::TimeCriticalPriority);
    QMetaObject::invokeMethod(m_worker, [w = m_worker] { w->createOutput(); },
                              Qt::BlockingQueuedConnection);
    m_reader = std::thread([this] { readerLoop(); });
}

PlaybackEngine::~PlaybackEngine()
{
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_reader.join();
    QMetaObject::invokeMethod(m_worker, [w = m_worker] { w->end(); }, Qt::BlockingQueuedConnection);
    m_outputThread->quit();
    m_outputThread->wait();
    delete m_worker;
    delete m_outputThread;
}

void PlaybackEngine::setDisc(std::shared_ptr<const Disc> disc)
{
    stop();
    m_disc = std::move(disc);
    m_stoppedFrame = m_disc && !m_disc->tracks().isEmpty() ? m_disc->tracks().first().startFrame : 0;
    m_lastHeard = m_stoppedFrame;
    std::lock_guard lock(m_mutex);
    m_readerDisc = m_disc;
}

void PlaybackEngine::play(qint64 fromFrame)
{
    stop();
    if (!m_disc)
        return;
    const qint64 end = m_disc->endFrame();
    const qint64 from = std::clamp<qint64>(fromFrame, 0, end);
    m_stoppedFrame = from;
    m_lastHeard = from;
    auto session = std::make_shared<PlaySession>(from, end);
    m_session = session;
    QMetaObject::invokeMethod(m_worker, [w = m_worker, session] { w->begin(session); });
    {
        std::lock_guard lock(m_mutex);
        m_readerSession = session;
    }
    m_wake.notify_all();
}

void PlaybackEngine::stop()
{
    if (!m_session)
        return;
    m_stoppedFrame = heardFrame();
    m_session->cancelled.store(true, std::memory_order_release);
    m_session.reset();
    m_wake.notify_all();
}

bool PlaybackEngine::isPlaying() const
{
    return m_session && !m_session->finished.load(std::memory_order_acquire);
}

qint64 PlaybackEngine::heardFrame() const
{
    if (!m_session)
        return m_stoppedFrame;
    const qint64 frame = std::min(m_session->startFrame + m_session->heardNow(), m_session->endFrame);
    m_lastHeard = std::max(m_lastHeard, frame);
    return m_lastHeard;
}

void PlaybackEngine::readerLoop()
{
    std::vector<qint16> buffer(size_t(kReadChunk) * 2);
    std::unique_ptr<DiscReader> reader;
    std::shared_ptr<const Disc> readerOf;
    std::shared_ptr<PlaySession> session;
    qint64 position = 0;

    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_quit)
            return;
        if (m_readerSession != session) {
            session = m_readerSession;
            if (session) {
                position = session->startFrame;
                if (readerOf != m_readerDisc) {
                    readerOf = m_readerDisc;
                    lock.unlock();
                    reader = readerOf ? readerOf->openReader() : nullptr;
                    lock.lock();
                }
            }
            continue;
        }
        const bool active = session && !session->cancelled.load(std::memory_order_acquire) &&
                            !session->readerDone.load(std::memory_order_relaxed);
        if (!active) {
            m_wake.wait(lock);
            continue;
        }
        if (session->ring.space() < kReadChunk) {
            // The ring holds two seconds: there is no hurry to top it up.
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
            continue;
        }
        lock.unlock();
        const qint64 want = std::min(kReadChunk, session->endFrame - position);
        const qint64 got = want > 0 && reader ? reader->read(position, buffer.data(), want) : 0;
        if (got > 0) {
            session->ring.push(buffer.data(), got);
            position += got;
        }
        if (got <= 0 || position >= session->endFrame)
            session->readerDone.store(true, std::memory_order_release);
        lock.lock();
    }
}

} // namespace verselet
