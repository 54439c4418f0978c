// The serial lines this process has open, each with the settings it had
// before the open, kept where the last resort at an ending signal can reach
// them without allocating or locking: a fixed table.
#pragma once

#include <termios.h>

namespace platform {

// Remembers an open line and what to give it back; a full table leaves the
// line to its close alone.
void rememberHeldLine(int fd, const termios& before);
// The line is being given back by its close.
void forgetHeldLine(int fd);
// Async-signal-safe: every remembered line gets its settings back and loses
// its exclusive claim, so that the next program can open it.
void giveBackHeldLines();

}  // namespace platform
