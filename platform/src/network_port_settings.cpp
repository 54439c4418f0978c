// A network port's settings, modem lines and breaks as COM-PORT-OPTION
// commands, the server's answers to them, and its line-state and
// modem-state notifications.
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>

#include "comm_line_settings.h"
#include "network_port.h"

namespace platform {
namespace {

using namespace telnet;

constexpr unsigned kNoFlow = 1, kXonXoffFlow = 2, kHardwareFlow = 3;
constexpr unsigned kBreakOn = 5, kBreakOff = 6, kDtrOn = 8, kDtrOff = 9, kRtsOn = 11, kRtsOff = 12;
// Late answers kept for: commands past their time whose answer may come yet.
constexpr size_t kLongestUnansweredList = 16;

unsigned flowOf(const DCB& dcb) {
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) return kHardwareFlow;
  if (dcb.fOutX || dcb.fInX) return kXonXoffFlow;
  return kNoFlow;
}

// RFC 2217's parity (1 none to 5 space) and stop-size (1, 2, 3 for 1.5).
unsigned parityOf(const DCB& dcb) { return static_cast<unsigned>(dcb.Parity) + 1; }
unsigned stopSizeOf(const DCB& dcb) { return dcb.StopBits == TWOSTOPBITS ? 2 : dcb.StopBits == ONE5STOPBITS ? 3 : 1; }

std::vector<unsigned char> fourBytes(DWORD value) {
  return {static_cast<unsigned char>(value >> 24), static_cast<unsigned char>(value >> 16),
          static_cast<unsigned char>(value >> 8), static_cast<unsigned char>(value)};
}

constexpr DWORD kAllSettings =
    SP_BAUD | SP_DATABITS | SP_PARITY | SP_STOPBITS | SP_HANDSHAKING | PROV_SPEC_DTR | PROV_SPEC_RTS | PROV_SPEC_BREAK;

}  // namespace

DWORD NetworkPort::bitOf(Setting setting) {
  switch (setting) {
    case Setting::Baud:
      return SP_BAUD;
    case Setting::DataSize:
      return SP_DATABITS;
    case Setting::Parity:
      return SP_PARITY;
    case Setting::StopSize:
      return SP_STOPBITS;
    case Setting::Flow:
      return SP_HANDSHAKING;
    case Setting::Dtr:
      return PROV_SPEC_DTR;
    case Setting::Rts:
      return PROV_SPEC_RTS;
    case Setting::Break:
      return PROV_SPEC_BREAK;
  }
  return 0;
}

void NetworkPort::commandLocked(ComPortCommand command, const std::vector<unsigned char>& value) {
  appendComPortCommand(toSend_, command, value);
}

void NetworkPort::expectLocked(Setting setting, unsigned value, unsigned batch, bool query) {
  expected_.push_back({setting, value, Clock::now(), batch, nextSequence_++, query});
}

unsigned NetworkPort::tellSettingsLocked(const DCB& dcb) {
  const unsigned batch = ++lastBatch_;
  refusedInBatch_ = 0;
  const bool first = !told_;
  auto control = [&](Setting setting, unsigned value) {
    commandLocked(kSetControl, {static_cast<unsigned char>(value)});
    expectLocked(setting, value, batch);
  };
  // The controls first: their answers are the ones a server may leave out,
  // and the answers to the framing after them show that it did.
  if (first || flowOf(dcb) != flowOf(*told_)) control(Setting::Flow, flowOf(dcb));
  const bool dtr = dcb.fDtrControl != DTR_CONTROL_DISABLE;
  if (first || dtr != dtrOn_) control(Setting::Dtr, dtr ? kDtrOn : kDtrOff);
  dtrOn_ = dtr;
  if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE) {
    const bool rts = dcb.fRtsControl != RTS_CONTROL_DISABLE;
    if (first || rts != rtsOn_) control(Setting::Rts, rts ? kRtsOn : kRtsOff);
    rtsOn_ = rts;
  }
  if (first || dcb.BaudRate != told_->BaudRate) {
    commandLocked(kSetBaudRate, fourBytes(dcb.BaudRate));
    expectLocked(Setting::Baud, dcb.BaudRate, batch);
  }
  if (first || dcb.ByteSize != told_->ByteSize) {
    commandLocked(kSetDataSize, {dcb.ByteSize});
    expectLocked(Setting::DataSize, dcb.ByteSize, batch);
  }
  if (first || parityOf(dcb) != parityOf(*told_)) {
    commandLocked(kSetParity, {static_cast<unsigned char>(parityOf(dcb))});
    expectLocked(Setting::Parity, parityOf(dcb), batch);
  }
  if (first || stopSizeOf(dcb) != stopSizeOf(*told_)) {
    commandLocked(kSetStopSize, {static_cast<unsigned char>(stopSizeOf(dcb))});
    expectLocked(Setting::StopSize, stopSizeOf(dcb), batch);
  }
  // Controls alone: a question after them (the rate, which every server
  // answers) shows at once which of them the server left unanswered, so
  // that the caller does not wait the whole answer time for them.
  if (!expected_.empty() && expected_.back().batch == batch && expected_.back().setting >= Setting::Flow) {
    commandLocked(kSetBaudRate, fourBytes(0));
    expectLocked(Setting::Baud, 0, batch, true);
  }
  told_ = dcb;
  return batch;
}

void NetworkPort::answerLocked(Setting setting, unsigned value) {
  // A break is acknowledged whatever the value: ser2net answers the end of
  // a break with the value of its start.
  auto matches = [&](const Expectation& expected) {
    return setting == Setting::Break ? value >= 4 && value <= 6 : value == expected.value;
  };
  auto ofSetting = [&](const Expectation& e) { return e.setting == setting; };
  // The server answers in order: this answers the oldest command of the
  // setting still without one, a late one first.
  std::optional<Expectation> answered;
  if (auto late = std::find_if(late_.begin(), late_.end(), ofSetting); late != late_.end()) {
    answered = *late;
  } else if (auto waiting = std::find_if(expected_.begin(), expected_.end(), ofSetting); waiting != expected_.end()) {
    answered = *waiting;
  } else {
    return;  // a change another client of the server made
  }
  // What was sent before it and has no answer yet was left unanswered.
  auto before = [&](const Expectation& e) { return e.sequence <= answered->sequence; };
  for (const Expectation& skipped : expected_)
    if (skipped.sequence < answered->sequence && !skipped.query) unconfirmed_ |= bitOf(skipped.setting);
  std::erase_if(late_, before);
  while (!expected_.empty() && before(expected_.front())) expected_.pop_front();

  if (answered->query) return;
  const DWORD bit = bitOf(setting);
  unconfirmed_ &= ~bit;
  // Another unconfirmed command of the same setting may still wait.
  for (const Expectation& e : late_)
    if (e.setting == setting && !e.query) unconfirmed_ |= bit;
  if (matches(*answered)) {
    overruled_ &= ~bit;
  } else if (answered->batch != 0 && answered->batch == waitingBatch_) {
    refusedInBatch_ |= bit;  // SetCommState fails with it
  } else {
    overruled_ |= bit;
  }
}

void NetworkPort::expireAnswersLocked(Clock::time_point now) {
  bool expired = false;
  while (!expected_.empty() && expected_.front().sent + kAnswerTime <= now) {
    if (!expected_.front().query) unconfirmed_ |= bitOf(expected_.front().setting);
    late_.push_back(expected_.front());
    expected_.pop_front();
    expired = true;
  }
  // A server that never answers a setting would leave its commands here
  // for good: only the newest few are kept.
  while (late_.size() > kLongestUnansweredList) late_.pop_front();
  if (expired) changed_.notify_all();
}

BOOL NetworkPort::getState(DCB* dcb) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  *dcb = dcb_;
  dcb->DCBlength = sizeof(DCB);
  return TRUE;
}

BOOL NetworkPort::setState(const DCB& dcb) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (!isValidLineSetting(dcb)) return failLocked(ERROR_INVALID_PARAMETER);
  if (hangUpError_ != 0) return failLocked(hangUpError_);
  // A raw port carries no settings: they are kept, and GetCommProperties
  // says that none can be set.
  if (address_.protocol == NetworkProtocol::RawTcp) {
    dcb_ = dcb;
    return TRUE;
  }
  if (phase_ != Phase::Ready || !comPortLocked()) {
    // Told once the server agrees to COM-PORT-OPTION (never, for a server
    // that refused it).
    dcb_ = dcb;
    if (phase_ != Phase::Ready || !options_.comPortRefused()) settingsWaiting_ = true;
    return TRUE;
  }
  const std::optional<DCB> previous = told_;
  const unsigned batch = tellSettingsLocked(dcb);
  if (!flushLocked()) return failLocked(hangUpError_);
  wakeService();  // the answers' time is watched there
  waitingBatch_ = batch;
  changed_.wait_for(lock, kAnswerTime, [&] {
    return phase_ == Phase::Gone ||
           std::none_of(expected_.begin(), expected_.end(), [&](const Expectation& e) { return e.batch == batch; });
  });
  waitingBatch_ = 0;
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  if (hangUpError_ != 0) return failLocked(hangUpError_);
  if (refusedInBatch_ != 0) {
    // All or nothing, as a terminal: the server is told the settings it had
    // again, when it had any from us.
    if (previous) {
      tellSettingsLocked(*previous);
      flushLocked();
    } else {
      told_.reset();
    }
    return failLocked(ERROR_INVALID_PARAMETER);
  }
  dcb_ = dcb;
  return TRUE;
}

bool NetworkPort::controlLocked(Setting setting, bool on) {
  if (address_.protocol == NetworkProtocol::RawTcp || (phase_ == Phase::Ready && !comPortLocked())) {
    errno = ENOTSUP;
    return false;
  }
  if (setting != Setting::Break && phase_ != Phase::Ready) {
    // Before the server agreed: the lines go with the settings then.
    if (setting == Setting::Dtr) dcb_.fDtrControl = on ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    if (setting == Setting::Rts && dcb_.fRtsControl != RTS_CONTROL_HANDSHAKE)
      dcb_.fRtsControl = on ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    settingsWaiting_ = true;
    return true;
  }
  if (phase_ != Phase::Ready) {
    errno = ENOTCONN;
    return false;
  }
  unsigned value = 0;
  switch (setting) {
    case Setting::Dtr:
      value = on ? kDtrOn : kDtrOff;
      dtrOn_ = on;
      break;
    case Setting::Rts:
      value = on ? kRtsOn : kRtsOff;
      rtsOn_ = on;
      break;
    default:
      value = on ? kBreakOn : kBreakOff;
      break;
  }
  commandLocked(kSetControl, {static_cast<unsigned char>(value)});
  expectLocked(setting, value, 0);
  if (!flushLocked()) {
    errno = EIO;
    return false;
  }
  wakeService();
  return true;
}

void NetworkPort::lineStateLocked(unsigned state) {
  DWORD errors = 0;
  if (state & kOverrunError) errors |= CE_OVERRUN;
  if (state & kParityError) errors |= CE_RXPARITY;
  if (state & kFramingError) errors |= CE_FRAME;
  if (state & kBreakDetected) errors |= CE_BREAK;
  lineErrors_ |= errors;
  if (errors & CE_BREAK) recordEventLocked(EV_BREAK);
  if (errors & ~DWORD{CE_BREAK}) recordEventLocked(EV_ERR);
}

void NetworkPort::modemStateLocked(unsigned state) {
  int lines = 0, changed = 0;
  if (state & kCts) lines |= TIOCM_CTS;
  if (state & kDsr) lines |= TIOCM_DSR;
  if (state & kRing) lines |= TIOCM_RI;
  if (state & kDcd) lines |= TIOCM_CD;
  if (state & kCtsDelta) changed |= TIOCM_CTS;
  if (state & kDsrDelta) changed |= TIOCM_DSR;
  if (state & kDcdDelta) changed |= TIOCM_CD;
  const bool ringWasOn = (modemLines_ & TIOCM_RI) != 0;
  takeModemLinesLocked(lines | (modemLines_ & ~(TIOCM_CTS | TIOCM_DSR | TIOCM_RI | TIOCM_CD)), changed);
  // A ring that began and ended between two notifications shows only as
  // its trailing edge.
  if ((state & kRingEnded) && !ringWasOn && !(lines & TIOCM_RI)) recordEventLocked(EV_RING);
}

BOOL NetworkPort::properties(COMMPROP* properties) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (closed_) return failLocked(ERROR_INVALID_HANDLE);
  COMMPROP result{};
  result.wPacketLength = sizeof(COMMPROP);
  result.wPacketVersion = 2;
  result.dwServiceMask = SP_SERIALCOMM;
  result.dwMaxRxQueue = static_cast<DWORD>(input_.capacity());
  result.dwCurrentRxQueue = static_cast<DWORD>(input_.capacity());
  const bool raw = address_.protocol == NetworkProtocol::RawTcp;
  result.dwProvSubType = raw ? PST_NETWORK_BRIDGE : PST_TCPIP_TELNET;
  result.dwProvCapabilities = PCF_TOTALTIMEOUTS;
  // A server without COM-PORT-OPTION takes no setting either.
  const bool settable = !raw && !(phase_ == Phase::Ready && !comPortLocked());
  if (settable) {
    result.dwMaxBaud = BAUD_USER;
    result.dwProvCapabilities |= PCF_DTRDSR | PCF_RTSCTS | PCF_RLSD | PCF_XONXOFF | PCF_PARITY_CHECK;
    result.dwSettableParams = SP_PARITY | SP_BAUD | SP_DATABITS | SP_STOPBITS | SP_HANDSHAKING | SP_RLSD;
    result.dwSettableBaud = BAUD_USER;
    result.wSettableData = DATABITS_5 | DATABITS_6 | DATABITS_7 | DATABITS_8;
    result.wSettableStopParity =
        STOPBITS_10 | STOPBITS_15 | STOPBITS_20 | PARITY_NONE | PARITY_ODD | PARITY_EVEN | PARITY_MARK | PARITY_SPACE;
    result.dwProvSpec1 = unconfirmed_ & kAllSettings;
    result.dwProvSpec2 = overruled_ & kAllSettings;
  }
  *properties = result;
  return TRUE;
}

}  // namespace platform
