#pragma once

#include <functional>

class QProgressDialog;
class QWidget;

namespace verselet {

class CdAudioDevice;

// While the device reads its disc (after Open), a progress over `parent`,
// window-modal from the first moment, shows how far measuring audio files has
// come. It closes itself and goes when the device reports opened(). Returns
// the dialog, which `parent` owns.
QProgressDialog* ShowOpenProgress(CdAudioDevice& device, QWidget* parent);

// A step that may have the device read its disc again and wait for it, such
// as asking for Tracks() after the disc was changed: when measuring takes
// longer than half a second, a progress over `parent` shows how far it has
// come. The window goes on drawing and ticking meanwhile, but takes no input
// until the step is done, from the first moment as during an open.
void ReadDiscWithProgress(CdAudioDevice& device, QWidget* parent,
                          const std::function<void()>& read);

} // namespace verselet
