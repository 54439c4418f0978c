// Which processes a terminal belongs to, from /proc: a terminal that is the
// controlling terminal of a session (a shell's pseudo-terminal, a console
// with a login on it) is someone's keyboard and screen, not a serial line.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// The leader of a session whose controlling terminal is the device with
// this number (st_rdev), or 0 when no process has it as its controlling
// terminal. When the leader is gone, another process of the session.
pid_t sessionOnTerminal(dev_t terminal, const std::filesystem::path& procRoot = "/proc");

// The terminals a device node (its st_rdev) reaches when opened: itself;
// for /dev/tty the opening process's controlling terminal (none without
// one); for /dev/console the consoles the kernel writes to; for /dev/tty0
// the virtual console in front. Whatever name the node has, so that every
// name of a session's terminal is known as one.
std::vector<dev_t> terminalsReachedBy(dev_t node, const std::filesystem::path& procRoot = "/proc",
                                      const std::filesystem::path& sysRoot = "/sys");

// A process's program name as the kernel keeps it (/proc/<pid>/comm);
// empty when the process is gone or hidden.
std::string programOfProcess(pid_t pid, const std::filesystem::path& procRoot = "/proc");

}  // namespace platform
