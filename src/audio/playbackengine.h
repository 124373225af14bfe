#pragma once

// Plays a disc from a frame on: a reader thread fills a ring of frames, an
// output thread hands them to the audio output, and the position is what has
// been heard. The calling (GUI) thread only starts, stops and asks where the
// playback is; asking takes a clock read and a few atomic loads, never a lock.
// What happens by itself (the playback ends, the output falls silent) comes
// back to the calling thread through PlaybackEvents.

#include "audio/audiooutput.h"
#include "audio/disc.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QThread;

namespace verselet {

class OutputWorker;
struct PlaySession;

// What the engine tells its owner. `ended` and `silenceChanged` run on the
// owner's thread, by way of `post`.
struct PlaybackEvents
{
    // Runs a function later on the owner's thread; called from the engine's
    // threads. What it runs uses the engine, so nothing still pending may run
    // once the engine is gone: posting to the object that owns the engine
    // does that, as Qt drops an object's pending calls when it is destroyed.
    std::function<void(std::function<void()>)> post;
    // The playback ended by itself: it reached the end of the disc, or the
    // disc could not be read on. Never after stop(), nor for a playback that
    // a later play() or setDisc() replaced.
    std::function<void()> ended;
    // isSilent() has changed.
    std::function<void()> silenceChanged;
};

class PlaybackEngine final
{
public:
    explicit PlaybackEngine(AudioOutputFactory outputs, PlaybackEvents events = {});
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Stops and plays this disc from now on (nullptr: no disc). A reader
    // opened as the disc was read plays the medium as it was then, whatever
    // becomes of the files or the drive by the first play; without one, the
    // first play opens its own.
    void setDisc(std::shared_ptr<const Disc> disc, std::unique_ptr<DiscReader> reader = nullptr);

    // Plays from the disc frame on, to the end of the disc.
    void play(qint64 fromFrame);
    // Stops where the playback is; heardFrame() stays there.
    void stop();

    // The song plays at this speed (0.5: half as fast) with its pitch kept,
    // from the next play() on; a playback under way goes on at it from where
    // it is heard. heardFrame() stays in song frames whatever the speed. At
    // 1 the frames go to the output as they are read.
    void setSpeed(double speed);
    double speed() const { return m_speed; }

    // True from play() until stop() or the end of the disc.
    bool isPlaying() const;
    // The disc frame that is being heard now.
    qint64 heardFrame() const;
    // True when the frames go nowhere and only the clock plays.
    bool isSilent() const { return m_silent.load(std::memory_order_relaxed); }

    // Sees every run of frames read for playback, on the reader thread, as
    // (disc frame, frames, count). Once setTap() returns, the tap it
    // replaced is no longer running and is not called again.
    using FrameTap = std::function<void(qint64, const qint16*, qint64)>;
    void setTap(FrameTap tap);

private:
    void readerLoop();
    // Output thread: tell the owner, on its thread.
    void endedByItself(const std::shared_ptr<PlaySession>& session);
    void silenceChanged();

    PlaybackEvents m_events;
    std::shared_ptr<const Disc> m_disc;
    std::shared_ptr<PlaySession> m_session; // the GUI thread's view
    qint64 m_stoppedFrame = 0;
    double m_speed = 1.0;
    mutable qint64 m_lastHeard = 0; // keeps the position from stepping back

    // Reader thread.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<PlaySession> m_readerSession;
    std::shared_ptr<const Disc> m_readerDisc;
    std::unique_ptr<DiscReader> m_givenReader; // of m_readerDisc, until a play takes it
    bool m_quit = false;
    std::thread m_reader;
    std::mutex m_tapMutex; // held while the tap runs
    FrameTap m_tap;

    // Output thread.
    QThread* m_outputThread = nullptr;
    OutputWorker* m_worker = nullptr;
    std::atomic<bool> m_silent{true};
};

} // namespace verselet
