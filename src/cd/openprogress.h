#pragma once

#include <functional>

class QWidget;

namespace verselet {

class CdAudioDevice;

// Sends Open to the device. When measuring its audio files takes longer than
// half a second, a progress dialog over `parent` shows how far it has come;
// the window stays responsive meanwhile, as Open keeps the events going.
void OpenWithProgress(CdAudioDevice& device, QWidget* parent);

// The same for any step that may have the device read its disc, such as
// asking for Tracks() after the disc was changed.
void ReadDiscWithProgress(CdAudioDevice& device, QWidget* parent, const std::function<void()>& read);

} // namespace verselet
