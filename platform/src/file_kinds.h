// What stands at a path the program opens as a file. Pipes, sockets and
// devices are not files: opening a FIFO waits for its other end, and
// opening a device acts on it (a terminal raises DTR, a tape rewinds).
#pragma once

#include <sys/stat.h>

#include <string>

namespace platform {

// A regular file, or one of the kernel's memory devices that read and
// write as endless or empty files and never wait (/dev/null, /dev/zero,
// /dev/full, /dev/random, /dev/urandom).
bool opensAsFile(const struct stat& status);

// What it is, for messages and logs: "a FIFO", "a symbolic link",
// "a character device", ...
std::string kindOfFile(mode_t mode);

}  // namespace platform
