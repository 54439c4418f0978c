// Reaching a network port's server without waiting: the host's name is
// looked up on a short-lived thread of its own (numbers need none),
// then each of its addresses is connected to in turn, without blocking,
// until one answers or the connect time runs out. Whoever polls drives it:
// the descriptor it gives is polled for output, and its wake-up
// descriptor is written when a lookup ends.
#pragma once

#include <windows.h>

#include <netdb.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "network_address.h"

namespace platform {

// How long a connect may take before it counts as timed out: a few seconds,
// long enough for a server across the world, far short of the system's
// two minutes.
std::chrono::milliseconds networkConnectTime();
// Tests shorten it; zero gives the usual time back.
void useNetworkConnectTime(std::chrono::milliseconds time);

// The Win32 error for a failed connect, send or receive (errno), and for a
// failed lookup (an EAI_ code).
DWORD errorFromSocketErrno(int error);
DWORD errorFromLookup(int code);

class NetworkConnector {
 public:
  enum class State { Resolving, Connecting, Connected, Failed };

  // Starts at once; wakeFd (an eventfd) is written when a lookup ends.
  NetworkConnector(const NetworkAddress& address, int wakeFd);
  ~NetworkConnector();
  NetworkConnector(const NetworkConnector&) = delete;
  NetworkConnector& operator=(const NetworkConnector&) = delete;

  // Moves on as far as it can now: after each wake of the poller.
  State advance();
  State state() const { return state_; }
  // The socket being connected (poll it for POLLOUT), or -1.
  int descriptor() const { return fd_; }
  // When it has to look again: the end of the lookup's time, or of the
  // present address's share of the connect time.
  std::chrono::steady_clock::time_point deadline() const {
    return state_ == State::Connecting ? attemptDeadline_ : deadline_;
  }
  // Why it failed.
  DWORD error() const { return error_; }
  // The connected socket, handed over (the connector forgets it).
  int takeSocket();

 private:
  struct Lookup;
  void startLookup();
  bool takeLookupResult();
  void connectNext();
  void fail(DWORD error);
  void closeSocket();

  NetworkAddress address_;
  int wakeFd_;
  State state_ = State::Resolving;
  DWORD error_ = ERROR_SUCCESS;
  std::chrono::steady_clock::time_point deadline_;
  std::shared_ptr<Lookup> lookup_;
  std::vector<sockaddr_storage> addresses_;
  std::vector<socklen_t> lengths_;
  size_t next_ = 0;
  int fd_ = -1;
  std::chrono::steady_clock::time_point attemptDeadline_;
};

}  // namespace platform
