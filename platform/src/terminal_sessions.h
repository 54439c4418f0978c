// Which processes a terminal belongs to, from /proc: a terminal that is the
// controlling terminal of a session (a shell's pseudo-terminal, a console
// with a login on it) is someone's keyboard and screen, not a serial line.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace platform {

// The leader of a session whose controlling terminal is the device with
// this number (st_rdev), or 0 when no process has it as its controlling
// terminal. When the leader is gone, another process of the session.
pid_t sessionOnTerminal(dev_t terminal, const std::filesystem::path& procRoot = "/proc");

// A process's program name as the kernel keeps it (/proc/<pid>/comm);
// empty when the process is gone or hidden.
std::string programOfProcess(pid_t pid, const std::filesystem::path& procRoot = "/proc");

}  // namespace platform
