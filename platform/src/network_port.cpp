// A network port's life, connection and Telnet protocol: connecting,
// negotiating, reading and writing through the protocol, and the server's
// answers and notifications.
#include "network_port.h"

#include <linux/sockios.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "comm_line_settings.h"
#include "network_redial.h"

namespace platform {
namespace {

using namespace telnet;

// At most this much protocol output waits to be sent; past it the port's
// output queue waits, so that output is never held twice over.
constexpr size_t kLargestUnsent = 64 * 1024;
// One read from the socket at most.
constexpr size_t kLargestRead = 64 * 1024;

// The settings a network port starts with, until SetCommState changes them.
DCB defaultSettings() {
  DCB dcb{};
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = 9600;
  dcb.fBinary = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

}  // namespace

// The modem lines and breaks of the port, as COM-PORT-OPTION commands and
// the server's modem-state notifications.
class NetworkLineSignals : public LineSignals {
 public:
  explicit NetworkLineSignals(NetworkPort& port) : port_(port) {}
  bool readModemLines(int* lines) override {
    *lines = port_.modemLines_;
    return true;
  }
  bool setControlLine(int line, bool on) override {
    return port_.controlLocked(line == TIOCM_DTR ? NetworkPort::Setting::Dtr : NetworkPort::Setting::Rts, on);
  }
  bool setBreak(bool on) override { return port_.controlLocked(NetworkPort::Setting::Break, on); }
  bool readCounters(serial_icounter_struct*) override { return false; }

 private:
  NetworkPort& port_;
};

class NetworkPort::ProtocolHandler : public Reader::Handler {
 public:
  explicit ProtocolHandler(NetworkPort& port) : port_(port) {}
  void optionCommand(unsigned char verb, unsigned char option) override {
    port_.options_.received(verb, option, port_.toSend_);
    if (port_.phase_ == Phase::Negotiating && (port_.options_.comPortAgreed() || port_.options_.comPortRefused()))
      port_.readyLocked();
    else if (port_.phase_ == Phase::Ready && port_.settingsWaiting_ && port_.options_.comPortAgreed())
      port_.readyLocked();  // agreed after its time: the settings go now
  }
  void subnegotiation(const std::vector<unsigned char>& body) override {
    if (body.size() < 2 || body[0] != kComPortOption) return;
    const unsigned command = body[1];
    if (command < kServerCommand) return;  // a client's command: not for us
    const std::vector<unsigned char> value(body.begin() + 2, body.end());
    auto byte = [&] { return value.empty() ? 0u : static_cast<unsigned>(value[0]); };
    switch (command - kServerCommand) {
      case kSetBaudRate:
        if (value.size() == 4)
          port_.answerLocked(Setting::Baud, (DWORD{value[0]} << 24) | (DWORD{value[1]} << 16) | (DWORD{value[2]} << 8) |
                                                DWORD{value[3]});
        break;
      case kSetDataSize:
        port_.answerLocked(Setting::DataSize, byte());
        break;
      case kSetParity:
        port_.answerLocked(Setting::Parity, byte());
        break;
      case kSetStopSize:
        port_.answerLocked(Setting::StopSize, byte());
        break;
      case kSetControl: {
        const unsigned control = byte();
        if (control >= 1 && control <= 3)
          port_.answerLocked(Setting::Flow, control);
        else if (control >= 4 && control <= 6)
          port_.answerLocked(Setting::Break, control);
        else if (control >= 7 && control <= 9)
          port_.answerLocked(Setting::Dtr, control);
        else if (control >= 10 && control <= 12)
          port_.answerLocked(Setting::Rts, control);
        break;
      }
      case kNotifyLineState:
        port_.lineStateLocked(byte());
        break;
      case kNotifyModemState:
        port_.modemStateLocked(byte());
        break;
      case kFlowControlSuspend:
        port_.suspended_ = true;
        break;
      case kFlowControlResume:
        port_.suspended_ = false;
        break;
      default:
        break;  // signature, masks, purge: nothing to do
    }
    port_.changed_.notify_all();
  }

 private:
  NetworkPort& port_;
};

NetworkPort::NetworkPort(DWORD number, const NetworkAddress& address)
    : SerialPort(-1), number_(number), address_(address), handler_(std::make_unique<ProtocolHandler>(*this)) {
  dcb_ = defaultSettings();
  // A raw port's breaks are refused through these too.
  lines_ = std::make_unique<NetworkLineSignals>(*this);
  hasModemLines_ = address_.protocol == NetworkProtocol::Rfc2217;
  linesTold_ = true;
}

NetworkPort::~NetworkPort() { onClose(); }

std::shared_ptr<NetworkPort> NetworkPort::open(DWORD number, const NetworkAddress& address, int connectedSocket,
                                               DWORD* error) {
  auto port = std::make_shared<NetworkPort>(number, address);
  port->wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (port->wakeFd_ < 0) {
    if (connectedSocket >= 0) ::close(connectedSocket);
    *error = errorFromErrno(errno);
    return nullptr;
  }
  std::unique_lock<std::mutex> lock(port->mutex_);
  port->startLocked(connectedSocket);
  try {
    port->service_ = std::thread([raw = port.get()] { raw->serve(); });
  } catch (const std::system_error&) {
    *error = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  port->changed_.wait_for(lock, kOpenWait, [&] { return port->phase_ == Phase::Ready || port->phase_ == Phase::Gone; });
  if (port->phase_ == Phase::Gone) {
    *error = port->cause_;
    return nullptr;  // the destructor stops the service thread
  }
  port->handedOut_ = true;
  return port;
}

void NetworkPort::startLocked(int connectedSocket) {
  if (connectedSocket >= 0) {
    connectedLocked(connectedSocket, Clock::now());
    return;
  }
  connector_ = std::make_unique<NetworkConnector>(address_, wakeFd_);
  if (connector_->state() == NetworkConnector::State::Connected)
    connectedLocked(connector_->takeSocket(), Clock::now());
  else if (connector_->state() == NetworkConnector::State::Failed)
    failConnectionLocked(connector_->error());
}

void NetworkPort::connectedLocked(int socket, Clock::time_point now) {
  connector_.reset();
  fd_ = socket;
  everConnected_ = true;
  if (address_.protocol == NetworkProtocol::RawTcp) {
    phase_ = Phase::Ready;
    changed_.notify_all();
    return;
  }
  phase_ = Phase::Negotiating;
  negotiationEnds_ = now + kNegotiationTime;
  options_.start(toSend_);
  flushLocked();
}

bool NetworkPort::comPortLocked() const {
  return address_.protocol == NetworkProtocol::Rfc2217 && options_.comPortAgreed();
}

void NetworkPort::readyLocked() {
  phase_ = Phase::Ready;
  if (comPortLocked()) {
    // Every change of a modem line, and the line errors a terminal
    // reports, are to be told.
    commandLocked(kSetModemStateMask, {0xFF});
    commandLocked(kSetLineStateMask,
                  {static_cast<unsigned char>(kOverrunError | kParityError | kFramingError | kBreakDetected)});
    if (settingsWaiting_) {
      settingsWaiting_ = false;
      tellSettingsLocked(dcb_);
    }
  }
  flushLocked();
  changed_.notify_all();
  // Output held while connecting may go now.
  wakeService();
}

void NetworkPort::failConnectionLocked(DWORD cause) {
  if (cause_ == 0) cause_ = cause;
  hangUpLocked();
}

void NetworkPort::deviceHungUpLocked() {
  if (cause_ == 0) {
    int pending = 0;
    socklen_t length = sizeof pending;
    if (fd_ >= 0 && ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &pending, &length) == 0 && pending != 0)
      cause_ = errorFromSocketErrno(pending);
    else
      cause_ = ERROR_NETNAME_DELETED;  // the server ended the connection
  }
  connector_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  toSend_.clear();
  phase_ = Phase::Gone;
  changed_.notify_all();
}

void NetworkPort::releaseDeviceLocked() {
  connector_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void NetworkPort::onClose() {
  bool lost;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (closed_) return;
    // A connection that had been made and then went, or that never came
    // while the port was open: the server is reached again for the port's
    // next open.
    lost = handedOut_ && phase_ == Phase::Gone && cause_ != 0;
  }
  SerialPort::onClose();
  if (lost) redialLostServer(number_, address_, cause_);
  if (whenClosed_) whenClosed_();
}

int NetworkPort::deviceDescriptorLocked() const {
  if (phase_ == Phase::Connecting) return connector_ ? connector_->descriptor() : -1;
  return fd_;
}

short NetworkPort::deviceInterestLocked() const {
  if (phase_ == Phase::Connecting) return POLLOUT;
  return toSend_.empty() ? 0 : POLLOUT;
}

bool NetworkPort::deviceTakesOutputLocked() const {
  return phase_ == Phase::Ready && !suspended_ && !heldByXoff_ && toSend_.size() < kLargestUnsent;
}

std::optional<Clock::time_point> NetworkPort::deviceDeadlineLocked() const {
  std::optional<Clock::time_point> next;
  auto consider = [&](Clock::time_point when) { next = next ? std::min(*next, when) : when; };
  if (phase_ == Phase::Connecting && connector_) consider(connector_->deadline());
  if (phase_ == Phase::Negotiating) consider(negotiationEnds_);
  if (!expected_.empty()) consider(expected_.front().sent + kAnswerTime);
  return next;
}

void NetworkPort::serviceDeviceLocked(short& seen, Clock::time_point now) {
  if (phase_ == Phase::Connecting) {
    seen = 0;  // the events were the connect's
    if (!connector_) return;
    switch (connector_->advance()) {
      case NetworkConnector::State::Connected:
        connectedLocked(connector_->takeSocket(), now);
        break;
      case NetworkConnector::State::Failed:
        failConnectionLocked(connector_->error());
        break;
      default:
        break;
    }
    return;
  }
  if (phase_ == Phase::Negotiating && now >= negotiationEnds_) readyLocked();
  if ((seen & POLLOUT) && !toSend_.empty() && !flushLocked()) {
    seen = 0;
    return;
  }
  expireAnswersLocked(now);
}

ssize_t NetworkPort::readDeviceLocked(unsigned char* into, size_t room) {
  if (fd_ < 0) {
    errno = EAGAIN;
    return -1;
  }
  const size_t wanted = std::min(room, kLargestRead);
  const bool raw = address_.protocol == NetworkProtocol::RawTcp;
  if (!raw) received_.resize(wanted);
  ssize_t count;
  do count = ::recv(fd_, raw ? into : received_.data(), wanted, MSG_DONTWAIT);
  while (count < 0 && errno == EINTR);
  if (count == 0) {
    cause_ = cause_ != 0 ? cause_ : ERROR_NETNAME_DELETED;
    return 0;
  }
  if (count < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
    if (cause_ == 0) cause_ = errorFromSocketErrno(errno);
    errno = EIO;
    return -1;
  }
  if (raw) return count;
  const size_t data = reader_.read(received_.data(), static_cast<size_t>(count), into, *handler_);
  // Answers to the server's option commands, and settings sent on its
  // agreement, go out at once.
  if (!toSend_.empty() && !flushLocked()) {
    errno = EIO;
    return -1;
  }
  if (data == 0) {
    errno = EAGAIN;  // only protocol this time
    return -1;
  }
  return static_cast<ssize_t>(data);
}

ssize_t NetworkPort::writeDeviceLocked(const unsigned char* bytes, size_t count) {
  if (fd_ < 0 || !deviceTakesOutputLocked()) {
    errno = EAGAIN;
    return -1;
  }
  if (address_.protocol == NetworkProtocol::RawTcp) {
    ssize_t sent;
    do sent = ::send(fd_, bytes, count, MSG_DONTWAIT | MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      if (cause_ == 0) cause_ = errorFromSocketErrno(errno);
      errno = EIO;
    }
    return sent;
  }
  // The data joins the protocol output in order, each 0xFF doubled.
  const size_t taken = std::min(count, kLargestUnsent - toSend_.size());
  appendData(toSend_, bytes, taken);
  if (!flushLocked()) {
    errno = EIO;
    return -1;
  }
  return static_cast<ssize_t>(taken);
}

bool NetworkPort::flushLocked() {
  while (!toSend_.empty() && fd_ >= 0) {
    ssize_t sent;
    do sent = ::send(fd_, toSend_.data(), toSend_.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
      failConnectionLocked(errorFromSocketErrno(errno));
      return false;
    }
    toSend_.erase(0, static_cast<size_t>(sent));
  }
  return true;
}

size_t NetworkPort::deviceOutputLocked() {
  int unsent = 0;
  if (fd_ < 0 || ::ioctl(fd_, SIOCOUTQ, &unsent) != 0 || unsent < 0) unsent = 0;
  return toSend_.size() + static_cast<size_t>(unsent);
}

void NetworkPort::flushDeviceLocked(bool input, bool output) {
  // What the server holds: its receive buffer (bytes from the line, for
  // us) is 1, its transmit buffer 2, both 3. Bytes already on the way stay.
  if (!comPortLocked() || phase_ != Phase::Ready) return;
  commandLocked(kPurgeData, {static_cast<unsigned char>(input && output ? 3 : input ? 1 : 2)});
  flushLocked();
}

bool NetworkPort::holdDeviceOutputLocked(bool hold) {
  heldByXoff_ = hold;
  wakeService();
  return true;
}

}  // namespace platform
