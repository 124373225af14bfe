#pragma once

#include "audio/audiooutput.h"

namespace verselet {

// The system's default audio output through Qt Multimedia, or the silent
// clock when the system has none.
AudioOutputFactory SystemAudioOutputs();

} // namespace verselet
