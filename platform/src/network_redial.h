// Servers of network ports whose connection was lost while the port was
// open. Each is reached again in the background, one try every
// kRedialInterval on one thread for all of them, until it answers; the
// connection then waits a few seconds for the port's next open to take it
// over, and a device change is announced (WM_DEVICECHANGE), as an adapter
// plugged in again is, so that a window waiting for the port opens it.
// Nobody taking it within that time means nobody waits any more: it is
// closed and the server is left alone.
#pragma once

#include <windows.h>

#include <chrono>

#include "network_address.h"

namespace platform {

constexpr std::chrono::milliseconds kRedialInterval{250};
constexpr std::chrono::milliseconds kRedialedConnectionLife{5000};

// Starts reaching the server of COM<number> again; cause is why it went.
void redialLostServer(DWORD number, const NetworkAddress& address, DWORD cause);

enum class Redial { None, Connected, Waiting };
// For an open of COM<number> at address: Connected with the connection
// (*socket, now the caller's), Waiting with the last failure (*cause) while
// the server has not answered yet, or None when no redial runs for it.
Redial takeRedialedConnection(DWORD number, const NetworkAddress& address, int* socket, DWORD* cause);

// Stops every redial (tests).
void forgetRedials();

}  // namespace platform
