#pragma once

class QProgressDialog;
class QWidget;

namespace verselet {

class CdAudioDevice;

// While the device reads its disc (after Open), a progress over `parent`,
// window-modal from the first moment, shows how far measuring audio files has
// come. It closes itself and goes when the device reports opened(). Returns
// the dialog, which `parent` owns.
QProgressDialog* ShowOpenProgress(CdAudioDevice& device, QWidget* parent);

// The same while the device looks at its medium (lookAtTheMedium), until
// opened() answers: window-modal from the first moment, so that the window
// takes no input meanwhile, but on screen only once the look has taken half
// a second. A look that finds the disc unchanged is over long before.
QProgressDialog* ShowLookProgress(CdAudioDevice& device, QWidget* parent);

} // namespace verselet
