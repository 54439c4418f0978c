// Tests steer an open port from here: an event value or line errors as a
// driver would report them, and modem lines in memory for a device without
// any (a pseudo-terminal), which also keep the breaks the port was asked
// for (a pseudo-terminal takes a break without showing it to its far end).
#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <thread>

#include <kestrix/platform_testing.h>

#include "serial_port.h"

namespace platform {
namespace {

// Modem lines that live in memory: the inputs as a test sets them, the
// outputs as the port drives them.
class MemoryLineSignals : public LineSignals {
 public:
  explicit MemoryLineSignals(int lines) : lines_(lines) {}
  bool readModemLines(int* lines) override {
    *lines = lines_;
    return true;
  }
  bool setControlLine(int line, bool on) override {
    lines_ = on ? (lines_ | line) : (lines_ & ~line);
    return true;
  }
  bool setBreak(bool on) override {
    if (on && !breakOn_) ++breaksStarted_;
    breakOn_ = on;
    return true;
  }
  bool readCounters(serial_icounter_struct*) override { return false; }
  void setInputs(int inputs) { lines_ = (lines_ & ~kInputLines) | inputs; }
  int lines() const { return lines_; }
  bool breakOn() const { return breakOn_; }
  DWORD breaksStarted() const { return breaksStarted_; }

  static constexpr int kInputLines = TIOCM_CTS | TIOCM_DSR | TIOCM_RI | TIOCM_CD;

 private:
  int lines_;
  bool breakOn_ = false;
  DWORD breaksStarted_ = 0;
};

int tiocmFromModemStatus(DWORD status) {
  int lines = 0;
  if (status & MS_CTS_ON) lines |= TIOCM_CTS;
  if (status & MS_DSR_ON) lines |= TIOCM_DSR;
  if (status & MS_RING_ON) lines |= TIOCM_RI;
  if (status & MS_RLSD_ON) lines |= TIOCM_CD;
  return lines;
}

bool isSingleEvent(DWORD value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

class SerialPortProbe {
 public:
  // A pending wait completes with exactly this value. Without one, a single
  // event is recorded for the next wait; a combined value waits for the
  // port's watcher to wait again (up to 10 s), since recorded events are
  // reported one at a time.
  static BOOL reportEvent(SerialPort& port, DWORD value) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
      {
        std::lock_guard<std::mutex> guard(port.mutex_);
        if (port.closed_) return port.failLocked(ERROR_INVALID_HANDLE);
        if (port.pendingWait_) {
          port.completePendingWaitLocked(ERROR_SUCCESS, value);
          return TRUE;
        }
        if (isSingleEvent(value)) {
          port.recorded_ |= value;
          return TRUE;
        }
        if (std::chrono::steady_clock::now() > deadline) return port.failLocked(ERROR_TIMEOUT);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  static BOOL reportErrors(SerialPort& port, DWORD errors) {
    std::lock_guard<std::mutex> guard(port.mutex_);
    if (port.closed_) return port.failLocked(ERROR_INVALID_HANDLE);
    port.lineErrors_ |= errors;
    return TRUE;
  }

  static BOOL setInputLines(SerialPort& port, DWORD inputLines) {
    std::lock_guard<std::mutex> guard(port.mutex_);
    if (port.closed_) return port.failLocked(ERROR_INVALID_HANDLE);
    auto* memory = dynamic_cast<MemoryLineSignals*>(port.lines_.get());
    if (memory == nullptr) {
      // The outputs start as the settings left them; the inputs as they
      // were seen last, so that only real changes raise events.
      int outputs = TIOCM_DTR | TIOCM_RTS;
      if (port.dcb_.fDtrControl == DTR_CONTROL_DISABLE) outputs &= ~TIOCM_DTR;
      if (port.dcb_.fRtsControl == RTS_CONTROL_DISABLE) outputs &= ~TIOCM_RTS;
      auto lines = std::make_unique<MemoryLineSignals>(outputs | (port.modemLines_ & MemoryLineSignals::kInputLines));
      memory = lines.get();
      port.lines_ = std::move(lines);
      port.hasModemLines_ = true;
    }
    memory->setInputs(tiocmFromModemStatus(inputLines));
    // The service thread's line watch sees the change.
    port.nextLineWatch_ = Clock::time_point{};
    port.wakeService();
    return TRUE;
  }

  static BOOL controlLines(SerialPort& port, BOOL* dtr, BOOL* rts) {
    std::lock_guard<std::mutex> guard(port.mutex_);
    if (port.closed_) return port.failLocked(ERROR_INVALID_HANDLE);
    auto* memory = dynamic_cast<MemoryLineSignals*>(port.lines_.get());
    if (memory == nullptr) return port.failLocked(ERROR_NOT_SUPPORTED);
    if (dtr) *dtr = (memory->lines() & TIOCM_DTR) ? TRUE : FALSE;
    if (rts) *rts = (memory->lines() & TIOCM_RTS) ? TRUE : FALSE;
    return TRUE;
  }

  static BOOL breakState(SerialPort& port, BOOL* on, DWORD* started) {
    std::lock_guard<std::mutex> guard(port.mutex_);
    if (port.closed_) return port.failLocked(ERROR_INVALID_HANDLE);
    auto* memory = dynamic_cast<MemoryLineSignals*>(port.lines_.get());
    if (memory == nullptr) return port.failLocked(ERROR_NOT_SUPPORTED);
    if (on) *on = memory->breakOn() ? TRUE : FALSE;
    if (started) *started = memory->breaksStarted();
    return TRUE;
  }
};

}  // namespace platform

using platform::SerialPort;
using platform::SerialPortProbe;

BOOL InjectCommEventForTesting(HANDLE hPort, DWORD eventValue) {
  std::shared_ptr<SerialPort> port = platform::requireHandle<SerialPort>(hPort);
  return port ? SerialPortProbe::reportEvent(*port, eventValue) : FALSE;
}

BOOL InjectCommErrorsForTesting(HANDLE hPort, DWORD errors) {
  std::shared_ptr<SerialPort> port = platform::requireHandle<SerialPort>(hPort);
  return port ? SerialPortProbe::reportErrors(*port, errors) : FALSE;
}

BOOL SetModemLinesForTesting(HANDLE hPort, DWORD inputLines) {
  std::shared_ptr<SerialPort> port = platform::requireHandle<SerialPort>(hPort);
  return port ? SerialPortProbe::setInputLines(*port, inputLines) : FALSE;
}

BOOL GetControlLinesForTesting(HANDLE hPort, BOOL* dtr, BOOL* rts) {
  std::shared_ptr<SerialPort> port = platform::requireHandle<SerialPort>(hPort);
  return port ? SerialPortProbe::controlLines(*port, dtr, rts) : FALSE;
}

BOOL GetBreakStateForTesting(HANDLE hPort, BOOL* on, DWORD* started) {
  std::shared_ptr<SerialPort> port = platform::requireHandle<SerialPort>(hPort);
  return port ? SerialPortProbe::breakState(*port, on, started) : FALSE;
}
