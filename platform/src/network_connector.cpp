#include "network_connector.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kUsualConnectTime{4000};
std::atomic<long long> connectTimeMs{0};

// RFC 6761: names under .invalid never resolve, and a resolver answers so
// at once, without asking anyone.
bool isInvalidName(const std::string& host) {
  std::string lower;
  for (char c : host) lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  if (!lower.empty() && lower.back() == '.') lower.pop_back();
  return lower == "invalid" || (lower.size() > 8 && lower.compare(lower.size() - 8, 8, ".invalid") == 0);
}

// A connection that the far side stops answering is given up within
// seconds rather than the system's quarter of an hour: keep-alive probes on
// an idle line, and a limit on how long sent data may stay unacknowledged.
void tuneSocket(int fd) {
  const int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  const int idle = 10, interval = 2, count = 3;
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
  const unsigned userTimeout = 15000;
  ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeout, sizeof userTimeout);
}

}  // namespace

std::chrono::milliseconds networkConnectTime() {
  const long long chosen = connectTimeMs.load();
  return chosen > 0 ? milliseconds(chosen) : kUsualConnectTime;
}

void useNetworkConnectTime(std::chrono::milliseconds time) { connectTimeMs = time.count(); }

DWORD errorFromSocketErrno(int error) {
  switch (error) {
    case ECONNREFUSED:
      return ERROR_CONNECTION_REFUSED;
    case ETIMEDOUT:
      return ERROR_SEM_TIMEOUT;
    case EHOSTUNREACH:
    case EHOSTDOWN:
      return ERROR_HOST_UNREACHABLE;
    case ENETUNREACH:
    case ENETDOWN:
    case EADDRNOTAVAIL:
    case EAFNOSUPPORT:
      return ERROR_NETWORK_UNREACHABLE;
    case EACCES:
    case EPERM:
      return ERROR_NETWORK_ACCESS_DENIED;
    case ECONNRESET:
    case ECONNABORTED:
    case EPIPE:
      return ERROR_NETNAME_DELETED;
    case ENOMEM:
    case ENOBUFS:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_GEN_FAILURE;
  }
}

DWORD errorFromLookup(int code) {
  switch (code) {
    case EAI_AGAIN:
      return WSATRY_AGAIN;
    case EAI_FAIL:
      return WSANO_RECOVERY;
    case EAI_MEMORY:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EAI_SYSTEM:
      return errorFromSocketErrno(errno);
    default:  // EAI_NONAME, EAI_NODATA, EAI_ADDRFAMILY, EAI_SERVICE...
      return WSAHOST_NOT_FOUND;
  }
}

// A lookup in progress, on a short-lived thread of its own (the C
// library's lookup can only wait). It tells its end by writing to a
// descriptor of its own and holds a reference until then, so that a
// connector dropped meanwhile leaves nothing behind.
struct NetworkConnector::Lookup {
  std::string host;
  std::string service;
  int notifyFd = -1;
  std::atomic<bool> done{false};
  int result = EAI_AGAIN;
  int lookupErrno = 0;
  addrinfo* addresses = nullptr;
  ~Lookup() {
    if (addresses) ::freeaddrinfo(addresses);
    if (notifyFd >= 0) ::close(notifyFd);
  }
  void run() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG | AI_NUMERICSERV;
    result = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses);
    lookupErrno = errno;
    done.store(true, std::memory_order_release);
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(notifyFd, &one, sizeof one);
  }
};

NetworkConnector::NetworkConnector(const NetworkAddress& address, int wakeFd)
    : address_(address), wakeFd_(wakeFd), deadline_(Clock::now() + networkConnectTime()) {
  startLookup();
}

NetworkConnector::~NetworkConnector() { closeSocket(); }

void NetworkConnector::startLookup() {
  if (isInvalidName(address_.host)) {
    fail(WSAHOST_NOT_FOUND);
    return;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  const std::string service = std::to_string(address_.port);
  addrinfo* numeric = nullptr;
  if (::getaddrinfo(address_.host.c_str(), service.c_str(), &hints, &numeric) == 0) {
    for (addrinfo* entry = numeric; entry; entry = entry->ai_next) {
      sockaddr_storage storage{};
      std::memcpy(&storage, entry->ai_addr, entry->ai_addrlen);
      addresses_.push_back(storage);
      lengths_.push_back(entry->ai_addrlen);
    }
    ::freeaddrinfo(numeric);
    state_ = State::Connecting;
    connectNext();
    return;
  }

  auto lookup = std::make_shared<Lookup>();
  lookup->host = address_.host;
  lookup->service = service;
  lookup->notifyFd = ::fcntl(wakeFd_, F_DUPFD_CLOEXEC, 0);
  if (lookup->notifyFd < 0) {
    fail(errorFromSocketErrno(errno));
    return;
  }
  try {
    std::thread([lookup] { lookup->run(); }).detach();
  } catch (const std::system_error&) {
    fail(ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  lookup_ = std::move(lookup);
}

bool NetworkConnector::takeLookupResult() {
  if (!lookup_->done.load(std::memory_order_acquire)) return false;
  if (lookup_->result != 0) {
    errno = lookup_->lookupErrno;
    const DWORD error = errorFromLookup(lookup_->result);
    lookup_.reset();
    fail(error);
    return true;
  }
  for (addrinfo* entry = lookup_->addresses; entry; entry = entry->ai_next) {
    sockaddr_storage storage{};
    std::memcpy(&storage, entry->ai_addr, entry->ai_addrlen);
    addresses_.push_back(storage);
    lengths_.push_back(entry->ai_addrlen);
  }
  lookup_.reset();
  if (addresses_.empty()) {
    fail(WSAHOST_NOT_FOUND);
    return true;
  }
  state_ = State::Connecting;
  connectNext();
  return true;
}

void NetworkConnector::connectNext() {
  closeSocket();
  while (next_ < addresses_.size()) {
    const Clock::time_point now = Clock::now();
    if (now >= deadline_) break;
    const size_t index = next_++;
    const int fd = ::socket(addresses_[index].ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
      error_ = errorFromSocketErrno(errno);
      continue;
    }
    tuneSocket(fd);
    int result;
    do result = ::connect(fd, reinterpret_cast<const sockaddr*>(&addresses_[index]), lengths_[index]);
    while (result < 0 && errno == EINTR);
    if (result == 0 || errno == EINPROGRESS) {
      fd_ = fd;
      // The addresses left share what remains of the time, so that one
      // that never answers leaves the others a chance.
      const size_t left = addresses_.size() - index;
      attemptDeadline_ = now + (deadline_ - now) / static_cast<Clock::rep>(left);
      if (result == 0) state_ = State::Connected;
      return;
    }
    error_ = errorFromSocketErrno(errno);
    ::close(fd);
  }
  fail(error_ != ERROR_SUCCESS && Clock::now() < deadline_ ? error_ : ERROR_SEM_TIMEOUT);
}

NetworkConnector::State NetworkConnector::advance() {
  if (state_ == State::Resolving && lookup_) {
    if (!takeLookupResult() && Clock::now() >= deadline_) {
      // The name's servers did not answer in time.
      fail(WSATRY_AGAIN);
      return state_;
    }
  }
  if (state_ != State::Connecting || fd_ < 0) return state_;
  int pending = 0;
  socklen_t length = sizeof pending;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &pending, &length) != 0) pending = errno;
  if (pending != 0) {
    error_ = errorFromSocketErrno(pending);
    connectNext();
    return state_;
  }
  sockaddr_storage peer{};
  socklen_t peerLength = sizeof peer;
  if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0) {
    state_ = State::Connected;
    return state_;
  }
  // Still connecting.
  if (Clock::now() >= attemptDeadline_) {
    error_ = ERROR_SEM_TIMEOUT;
    connectNext();
  }
  return state_;
}

int NetworkConnector::takeSocket() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void NetworkConnector::fail(DWORD error) {
  closeSocket();
  state_ = State::Failed;
  error_ = error;
}

void NetworkConnector::closeSocket() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace platform
