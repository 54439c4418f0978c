// UUCP lock files, the convention Linux serial tools share (minicom,
// picocom, tio, Qt's serial port): while a program uses /dev/ttyUSB0, the
// file LCK..ttyUSB0 in /run/lock (or /var/lock) holds its process id in
// HDB form, ten characters right-aligned and a line end.
#pragma once

#include <sys/types.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace platform {

struct UucpLockAttempt {
  // A live process holds the lock (this one included, for a port it has
  // open already): the port is in use.
  bool held = false;
  pid_t holder = 0;      // the holding process, with a refusal; 0 when unknown
  std::string lockPath;  // the lock taken; empty when none was
  std::string remark;    // why the port goes without a lock, or is taken as held
};

// "LCK.." and the device's last path part, as the tools above name it.
std::string uucpLockName(const std::string& devicePath);

// The first lock folder this process may write to: /run/lock, else
// /var/lock, unless other folders were put in their place
// (machine_sources.h); empty when none is writable.
std::filesystem::path uucpLockFolder();

// Takes the lock for a device. A lock of a dead process, or one that names
// no process, is stale and removed. Something that is not a lock file at
// the lock's name (a link, a pipe, a device) is left alone and the device
// taken as held by an unknown program, with `remark` saying why. Without a writable lock folder the
// attempt succeeds without a lock and says so in `remark`.
UucpLockAttempt takeUucpLock(const std::string& devicePath);

// Removes a lock taken above, unless another process has since replaced it.
// Locks still held when the process exits (normally, or by an ending signal,
// see ending_signals.h) are removed then.
void releaseUucpLock(const std::string& lockPath);

// Async-signal-safe: removes every lock this process holds and every lock
// file it is making (the temporary, and the lock once linked from it).
void removeHeldUucpLocks();

// What a lock file says: the process id it names, 0 when it names none;
// or, when a link, pipe, device or folder stands at the lock's name, what
// it is. At most a few dozen bytes are read, no link is followed and
// nothing is waited on.
struct UucpLockHolder {
  pid_t pid = 0;
  std::string notALock;  // e.g. "a FIFO"; empty for a file or none
};
UucpLockHolder readUucpLockHolder(const std::filesystem::path& lockFile);

}  // namespace platform
