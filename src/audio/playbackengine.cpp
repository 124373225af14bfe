#include "audio/playbackengine.h"

#include "audio/framering.h"
#include "audio/timestretch.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <utility>
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
// output thread drains it and publishes what has been heard. Counts are song
// frames: at a speed below 1 a second of output plays `speed` seconds of the
// song.
struct PlaySession
{
    PlaySession(qint64 start, qint64 end, double speed)
        : startFrame(start), endFrame(end), speed(speed), ring(kRingFrames)
    {
    }

    const qint64 startFrame;
    const qint64 endFrame;
    const double speed;
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
        const qint64 since = speed == 1.0
                                 ? (monotonicNs() - stamp) * kFrameRate / 1000000000
                                 : qint64(double(monotonicNs() - stamp) * kFrameRate * speed / 1e9);
        return std::min(given, h + since);
    }
};

// Lives on the output thread: owns the audio output and moves frames to it.
//
// An output may run this thread's events inside its own calls (Qt's
// PulseAudio sink does as it is destroyed), so a timer tick or the next
// begin() can arrive while a session is being opened or closed. Nothing runs
// inside anything else here: a tick that arrives meanwhile is skipped (the
// timer comes back), and a begin() or end() only leaves its wish, which the
// change under way takes up when it is done — the newest begin() wins; the
// sessions it passes over were cancelled by the calling thread already.
class OutputWorker final : public QObject
{
public:
    struct Hooks
    {
        // A session played out by itself: its end, or its reader gave out.
        std::function<void(const std::shared_ptr<PlaySession>&)> ended;
        std::function<void()> silenceChanged;
    };

    OutputWorker(AudioOutputFactory factory, std::atomic<bool>& silent, Hooks hooks)
        : m_factory(std::move(factory)), m_silent(silent), m_hooks(std::move(hooks)),
          m_buffer(size_t(kReadChunk) * 2), m_timer(new QTimer(this))
    {
        m_timer->setTimerType(Qt::PreciseTimer);
        m_timer->setInterval(5);
        QObject::connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
    }

    // Runs on the output thread once it is up. The output is kept for the
    // engine's life and only started and stopped between sessions.
    void createOutput()
    {
        m_output = m_factory ? m_factory() : nullptr;
        if (!m_output)
            m_output = MakeSilentOutput();
        m_clock = MakeSilentOutput();
        m_silent.store(m_output->isSilent());
    }

    void begin(std::shared_ptr<PlaySession> session)
    {
        if (m_closed)
            return;
        m_next = std::move(session);
        m_beginAsked = true;
        settle();
        // The first frames go out at once, not at the next tick.
        tick();
    }

    // Stops for good and lets the output go.
    void end()
    {
        m_endAsked = true;
        settle();
    }

private:
    // Carries out what was asked, one change at a time, until nothing more is.
    void settle()
    {
        if (m_busy)
            return;
        m_busy = true;
        while (!m_closed && (m_closeAsked || m_beginAsked || m_endAsked)) {
            m_closeAsked = false;
            closeSession();
            if (m_endAsked) {
                m_closed = true;
                m_next.reset();
                m_timer->stop();
                m_output.reset();
                m_clock.reset();
            } else if (m_beginAsked) {
                m_beginAsked = false;
                std::shared_ptr<PlaySession> next = std::move(m_next);
                if (!next->cancelled.load(std::memory_order_acquire))
                    openSession(std::move(next));
            }
        }
        m_busy = false;
    }

    void openSession(std::shared_ptr<PlaySession> session)
    {
        m_session = std::move(session);
        m_handed = 0;
        // At full speed the frames go out as they are read.
        m_stretch =
            m_session->speed == 1.0 ? nullptr : std::make_unique<TimeStretch>(m_session->speed);
        if (m_output->start()) {
            m_playing = m_output.get();
        } else {
            // No sound to be had: play on the clock rather than not at all.
            // The next session tries the output again.
            m_clock->start();
            m_playing = m_clock.get();
        }
        setSilent(m_playing->isSilent());
        m_timer->start();
    }

    void closeSession()
    {
        if (!m_session)
            return;
        m_session.reset();
        m_stretch.reset();
        m_timer->stop();
        std::exchange(m_playing, nullptr)->stop();
    }

    void tick()
    {
        if (m_busy)
            return;
        if (!m_session) {
            m_timer->stop();
            return;
        }
        m_busy = true;
        m_closeAsked = !step();
        m_busy = false;
        settle();
    }

    // Moves what the ring holds to the output and publishes what has been
    // heard. False once the session is over.
    bool step()
    {
        const std::shared_ptr<PlaySession> session = m_session;
        PlaySession& s = *session;
        if (s.cancelled.load(std::memory_order_acquire))
            return false;
        if (m_stretch)
            stretchOut(s);
        else {
            for (;;) {
                const qint64 n =
                    std::min({m_playing->writableFrames(), s.ring.available(), kReadChunk});
                if (n <= 0)
                    break;
                s.ring.pop(m_buffer.data(), n);
                m_handed += m_playing->write(m_buffer.data(), n);
            }
        }
        const qint64 held = m_playing->heldFrames();
        if (m_stretch)
            s.publish(SongFrames(m_handed - held, s.speed), SongFrames(m_handed, s.speed),
                      monotonicNs());
        else
            s.publish(m_handed - held, m_handed, monotonicNs());
        if (s.readerDone.load(std::memory_order_acquire) && s.ring.available() == 0 &&
            (!m_stretch || m_stretch->drained()) && held == 0) {
            s.finished.store(true, std::memory_order_release);
            if (m_hooks.ended)
                m_hooks.ended(session);
            return false;
        }
        return true;
    }

    // Slower: the stretcher takes what the ring holds as it asks for it, and
    // what it gives goes to the output. m_handed counts output frames.
    void stretchOut(PlaySession& s)
    {
        for (;;) {
            while (!m_stretch->ended() && m_stretch->available() < kReadChunk) {
                if (s.ring.available() == 0) {
                    // The song's last frame has gone in: what the stretcher
                    // holds comes out.
                    if (s.readerDone.load(std::memory_order_acquire) && s.ring.available() == 0)
                        m_stretch->push(m_buffer.data(), 0, true);
                    break;
                }
                const qint64 n = std::min({s.ring.available(), m_stretch->wanted(), kReadChunk});
                if (n <= 0)
                    break;
                s.ring.pop(m_buffer.data(), n);
                m_stretch->push(m_buffer.data(), n);
            }
            const qint64 n =
                std::min({m_playing->writableFrames(), m_stretch->available(), kReadChunk});
            if (n <= 0)
                return;
            const qint64 got = m_stretch->pull(m_buffer.data(), n);
            m_handed += m_playing->write(m_buffer.data(), got);
        }
    }

    static qint64 SongFrames(qint64 outputFrames, double speed)
    {
        return std::llround(double(outputFrames) * speed);
    }

    void setSilent(bool silent)
    {
        if (m_silent.exchange(silent) != silent && m_hooks.silenceChanged)
            m_hooks.silenceChanged();
    }

    AudioOutputFactory m_factory;
    std::atomic<bool>& m_silent;
    Hooks m_hooks;
    std::unique_ptr<AudioOutput> m_output;
    std::unique_ptr<AudioOutput> m_clock; // when the output cannot start
    AudioOutput* m_playing = nullptr;     // one of the two, while a session plays
    std::shared_ptr<PlaySession> m_session;
    std::shared_ptr<PlaySession> m_next;
    bool m_busy = false;
    bool m_beginAsked = false;
    bool m_closeAsked = false;
    bool m_endAsked = false;
    bool m_closed = false;
    std::vector<qint16> m_buffer;
    qint64 m_handed = 0;
    // Below full speed, between the ring and the output.
    std::unique_ptr<TimeStretch> m_stretch;
    QTimer* m_timer;
};

PlaybackEngine::PlaybackEngine(AudioOutputFactory outputs, PlaybackEvents events)
    : m_events(std::move(events))
{
    m_outputThread = new QThread;
    m_outputThread->setObjectName(QStringLiteral("verselet-audio-output"));
    OutputWorker::Hooks hooks;
    hooks.ended = [this](const std::shared_ptr<PlaySession>& s) { endedByItself(s); };
    hooks.silenceChanged = [this] { silenceChanged(); };
    m_worker = new OutputWorker(std::move(outputs), m_silent, std::move(hooks));
    m_worker->moveToThread(m_outputThread);
    m_outputThread->start(QThread::TimeCriticalPriority);
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->createOutput(); }, Qt::BlockingQueuedConnection);
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
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->end(); }, Qt::BlockingQueuedConnection);
    m_outputThread->quit();
    m_outputThread->wait();
    delete m_worker;
    delete m_outputThread;
}

void PlaybackEngine::endedByItself(const std::shared_ptr<PlaySession>& session)
{
    if (!m_events.post || !m_events.ended)
        return;
    m_events.post([this, ended = std::weak_ptr<PlaySession>(session)] {
        // A Stop, a new Play or another disc since then: that playback did
        // not end by itself as far as the owner is concerned.
        const std::shared_ptr<PlaySession> s = ended.lock();
        if (s && s == m_session)
            m_events.ended();
    });
}

void PlaybackEngine::silenceChanged()
{
    if (m_events.post && m_events.silenceChanged)
        m_events.post([this] { m_events.silenceChanged(); });
}

void PlaybackEngine::setTap(FrameTap tap)
{
    std::lock_guard lock(m_tapMutex);
    m_tap = std::move(tap);
}

void PlaybackEngine::setDisc(std::shared_ptr<const Disc> disc, std::unique_ptr<DiscReader> reader)
{
    stop();
    m_disc = std::move(disc);
    m_stoppedFrame =
        m_disc && !m_disc->tracks().isEmpty() ? m_disc->tracks().first().startFrame : 0;
    m_lastHeard = m_stoppedFrame;
    std::unique_ptr<DiscReader> unused;
    {
        std::lock_guard lock(m_mutex);
        m_readerDisc = m_disc;
        unused = std::exchange(m_givenReader, std::move(reader));
    }
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
    auto session = std::make_shared<PlaySession>(from, end, m_speed);
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

void PlaybackEngine::setSpeed(double speed)
{
    if (speed <= 0 || speed == m_speed)
        return;
    m_speed = speed;
    // A playback under way goes on at the new speed from where it is heard.
    if (isPlaying())
        play(heardFrame());
}

bool PlaybackEngine::isPlaying() const
{
    return m_session && !m_session->finished.load(std::memory_order_acquire);
}

qint64 PlaybackEngine::heardFrame() const
{
    if (!m_session)
        return m_stoppedFrame;
    const qint64 frame =
        std::min(m_session->startFrame + m_session->heardNow(), m_session->endFrame);
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
                    std::unique_ptr<DiscReader> given = std::move(m_givenReader);
                    lock.unlock();
                    reader.reset();
                    reader = given ? std::move(given) : readerOf ? readerOf->openReader() : nullptr;
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
            {
                std::lock_guard tapLock(m_tapMutex);
                if (m_tap)
                    m_tap(position, buffer.data(), got);
            }
            position += got;
        }
        if (got <= 0 || position >= session->endFrame)
            session->readerDone.store(true, std::memory_order_release);
        lock.lock();
    }
}

} // namespace verselet
