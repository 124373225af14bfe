#pragma once

#include <QString>

#include <span>

namespace verselet {

// Puts `bytes` in the place of the file at `path` so that the file is at every
// moment either wholly the old one or wholly the new one: the bytes go into a
// hidden file beside it in the same folder, are flushed to the disk, get the
// old file's permissions (and its owner and group where this process may give
// them), and are renamed over it; the folder is flushed after. On any failure
// the hidden file is removed and the old file is left as it was. Returns ""
// on success, else what failed (the system's reason included).
QString ReplaceFileContents(const QString& path, std::span<const char> bytes);

} // namespace verselet
