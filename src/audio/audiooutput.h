#pragma once

// Where the player's frames go. One output lives on the player's output
// thread and is only used there.

#include <QtGlobal>

#include <functional>
#include <memory>

namespace verselet {

class AudioOutput
{
public:
    virtual ~AudioOutput() = default;
    // Starts taking frames, for one playback. False when the output cannot
    // play; it is asked again at the next playback.
    virtual bool start() = 0;
    // Ends the playback; what the output still holds need not be heard.
    // start() and stop() may run the output thread's events.
    virtual void stop() = 0;
    // Frames it takes now without blocking.
    virtual qint64 writableFrames() = 0;
    virtual qint64 write(const qint16* frames, qint64 count) = 0;
    // Frames handed over that have not been heard yet.
    virtual qint64 heldFrames() = 0;
    // True when nothing is heard: the output only keeps time.
    virtual bool isSilent() const = 0;
};

using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

// Plays nothing, in real time: frames are taken as fast as a sound card would
// take them, on the monotonic clock, with the same small buffer in between.
std::unique_ptr<AudioOutput> MakeSilentOutput();

} // namespace verselet
