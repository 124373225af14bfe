#pragma once

// Plays a disc from a frame on: a reader thread fills a ring of frames, an
// output thread hands them to the audio output, and the position is what has
// been heard. The calling (GUI) thread only starts, stops and asks where the
// playback is; asking takes a clock read and a few atomic loads, never a lock.

#include "cd/audiooutput.h"
#include "cd/disc.h"

#include <QtGlobal>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class QThread;

namespace verselet {

class OutputWorker;
struct PlaySession;

class PlaybackEngine final
{
public:
    explicit PlaybackEngine(AudioOutputFactory outputs);
    ~PlaybackEngine();
    PlaybackEngine(const PlaybackEngine&) = delete;
    PlaybackEngine& operator=(const PlaybackEngine&) = delete;

    // Stops and plays this disc from now on (nullptr: no disc).
    void setDisc(std::shared_ptr<const Disc> disc);

    // Plays from the disc frame on, to the end of the disc.
    void play(qint64 fromFrame);
    // Stops where the playback is; heardFrame() stays there.
    void stop();

    // True from play() until stop() or the end of the disc.
    bool isPlaying() const;
    // The disc frame that is being heard now.
    qint64 heardFrame() const;
    // True when the frames go nowhere and only the clock plays.
    bool isSilent() const { return m_silent.load(std::memory_order_relaxed); }

private:
    void readerLoop();

    std::shared_ptr<const Disc> m_disc;
    std::shared_ptr<PlaySession> m_session; // the GUI thread's view
    qint64 m_stoppedFrame = 0;
    mutable qint64 m_lastHeard = 0; // keeps the position from stepping back

    // Reader thread.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<PlaySession> m_readerSession;
    std::shared_ptr<const Disc> m_readerDisc;
    bool m_quit = false;
    std::thread m_reader;

    // Output thread.
    QThread* m_outputThread = nullptr;
    OutputWorker* m_worker = nullptr;
    std::atomic<bool> m_silent{true};
};

} // namespace verselet
