#pragma once

namespace verselet {

// libcdio prints its messages to stdout unless told otherwise. This routes
// them to Qt's logging (warnings and worse only); call before any libcdio use.
// Safe to call more than once.
void InstallCdioLogHandler();

} // namespace verselet
