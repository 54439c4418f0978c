// An open serial port: the kernel object behind a \\.\COMn handle.
//
// A port on a terminal has two threads of this layer. Its reader thread
// (serial_reader.h) moves arriving bytes into the port's own input queue as
// they come, each read with its time, and depends on no lock at all (it
// stops, never drops, when the queue is full, so that the kernel holds
// further input). Its service thread waits in poll() on the device and a
// wake-up descriptor: it reports arrivals, a streaming line's in one event a
// gathering time (serial_port_receive.cpp), writes queued output in order,
// drops a write that outlasts the write time-outs, records events and
// completes a pending event wait. Where the device has modem lines or error
// counters it looks at them every kLineWatchInterval while the event mask
// asks for them; on devices without them (pseudo-terminals) an idle port
// does not wake at all.
//
// The device is a terminal here; a port served over the network
// (network_port.h) puts a connection in its place through the device
// calls below, so that both have one input queue, one output queue, one
// way of reporting events and one service thread each. A connection's
// bytes carry its protocol, which is read under the port's lock: a network
// port has no reader thread, and its service thread reads the socket into
// the input queue (gathering there leaves the socket unread for its time).
//
// Every member is guarded by mutex_, but for the input queue, which the
// reader thread fills without it (its consumers take it under mutex_), and
// the reader itself. Lock order: mutex_, then waitLock(), never the reverse.
#pragma once

#include <linux/serial.h>
#include <termios.h>

#include <deque>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <kestrix/serial_arrivals.h>

#include "io_object.h"
#include "serial_input_ring.h"
#include "serial_line_signals.h"
#include "serial_reader.h"

namespace platform {

// The error that event waits, reads of an empty queue and writes fail with
// once the device has hung up (unplugged, or the far end of a
// pseudo-terminal closed).
constexpr DWORD kHangUpError = ERROR_DEVICE_REMOVED;

// The input queue holds at least this many bytes, whatever SetupComm asks:
// a second of the fastest line that adapters run (3 Mbaud, 300,000 bytes a
// second), so that a reader held up for a moment never makes the service
// thread leave the device unread, which on a real line means overrun.
constexpr size_t kSmallestInputQueue = 300'000;

// Opens a terminal device for a port and claims it for this handle alone
// (flock and TIOCEXCL), so that a second open, here or in another program
// that locks the same way, fails with ERROR_ACCESS_DENIED. Returns the
// descriptor, or -1 with the Win32 error in *error.
int claimSerialDevice(const std::string& path, DWORD* error);
// Gives the claim up and closes the descriptor.
void releaseSerialDevice(int fd);

// The line's speed in bits per second as the device reports it, any rate.
DWORD currentLineRate(int fd, const termios& settings);

// Waits, as the layer's waits do (a terminated thread parks here), until an
// operation of this layer completes the record. Returns the record's error.
DWORD waitForRecord(OVERLAPPED& record);

class SerialPort : public IoObject {
 public:
  // Takes an open terminal descriptor (already locked for exclusive use)
  // and the UUCP lock taken for it (a path, or empty), remembers the
  // terminal's settings, puts it in raw mode and starts the service thread.
  // Null with the Win32 error in *error when that fails; the descriptor is
  // then closed and the lock removed.
  static std::shared_ptr<SerialPort> start(int fd, const std::string& lockPath, DWORD* error);

  explicit SerialPort(int fd);
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Ends a pending event wait with ERROR_OPERATION_ABORTED, drops queued
  // output, stops the service thread, puts the terminal's settings back as
  // they were before the open, and releases the device and its lock. Every
  // later call fails with ERROR_INVALID_HANDLE.
  void onClose() override;

  BOOL read(LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) override;
  BOOL write(LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) override;
  // The arrival controls of kestrix/serial_arrivals.h.
  BOOL control(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned,
               LPOVERLAPPED overlapped) override;

  virtual BOOL getState(DCB* dcb);
  virtual BOOL setState(const DCB& dcb);
  BOOL setupQueues(DWORD inputSize, DWORD outputSize);
  BOOL getTimeouts(COMMTIMEOUTS* timeouts);
  BOOL setTimeouts(const COMMTIMEOUTS& timeouts);
  BOOL purge(DWORD flags);
  BOOL clearErrors(LPDWORD errors, LPCOMSTAT status);
  BOOL setMask(DWORD mask);
  BOOL waitEvent(LPDWORD value, LPOVERLAPPED overlapped);
  BOOL modemStatus(LPDWORD status);
  BOOL escape(DWORD function);
  virtual BOOL properties(COMMPROP* properties);

 protected:
  // The device's part of the service thread and of the calls. Each is
  // called with mutex_ held.
  //
  // The descriptor polled for the device; -1 while there is none.
  virtual int deviceDescriptorLocked() const { return fd_; }
  // Poll events the device needs for work of its own (a connection's
  // protocol output); the port adds those of its input and output queues.
  virtual short deviceInterestLocked() const { return 0; }
  // Whether the device takes output now; false keeps the output queue.
  virtual bool deviceTakesOutputLocked() const { return true; }
  // The next moment the device has work at.
  virtual std::optional<Clock::time_point> deviceDeadlineLocked() const { return std::nullopt; }
  // After each wake of the service thread, before input and output, with
  // the poll's events for the device (0 after a time-out or a wake-up); it
  // clears those it took itself.
  virtual void serviceDeviceLocked(short& /*seen*/, Clock::time_point /*now*/) {}
  // Reads data bytes: how many, 0 at the end of the device's stream, -1 with
  // errno (EAGAIN when none are there now).
  virtual ssize_t readDeviceLocked(unsigned char* into, size_t room);
  // Writes: how many bytes the device took, -1 with errno.
  virtual ssize_t writeDeviceLocked(const unsigned char* bytes, size_t count);
  // Bytes the device took that it has not sent yet.
  virtual size_t deviceOutputLocked();
  // Drops what the device holds of input, of output.
  virtual void flushDeviceLocked(bool input, bool output);
  // Holds or lets go the device's output, as if XOFF or XON came.
  virtual bool holdDeviceOutputLocked(bool hold);
  // The device hung up: after the port's own steps.
  virtual void deviceHungUpLocked() {}
  // Gives the device back, at the close.
  virtual void releaseDeviceLocked();

  // Steers a port from the platform_testing library: the program never
  // links it.
  friend class SerialPortProbe;

  struct PendingWrite {
    std::vector<unsigned char> bytes;
    size_t done = 0;
    bool started = false;
    std::optional<std::chrono::steady_clock::time_point> deadline;
    // Set for a write without an OVERLAPPED: its caller waits on it.
    std::shared_ptr<OVERLAPPED> completion;
  };
  struct PendingWait {
    OVERLAPPED* record;
    LPDWORD value;
  };

  // Service thread (serial_port_service.cpp).
  void serve();
  void transmitLocked();
  void startHeadWriteLocked(Clock::time_point now);
  void dropExpiredWriteLocked(Clock::time_point now);
  void finishHeadWriteLocked(DWORD error);
  void checkOutputDrainedLocked(Clock::time_point now);
  bool watchesLinesLocked() const;
  void watchLinesLocked();
  // The modem lines are now these TIOCM_* bits: records the events of the
  // changes since they were last seen. changed adds lines that changed and
  // changed back meanwhile.
  void takeModemLinesLocked(int lines, int changed = 0);
  // The modem lines as TIOCM_* bits; false when they cannot be read.
  bool readModemLinesLocked(int* lines);
  // Raises or drops one of TIOCM_DTR and TIOCM_RTS.
  bool setControlLineLocked(int line, bool on);
  void collectLineErrorsLocked();
  int pollTimeoutLocked(Clock::time_point now) const;
  void hangUpLocked();
  void wakeService();
  void drainWakeups();

  // Input (serial_port_receive.cpp).
  // A terminal: takes note of what the reader thread put in the input
  // queue since the last look: reports the arrival at once when no
  // gathering runs, starting one, or counts it into the gathering, ending
  // that when its time is over.
  void noticeArrivalsLocked(Clock::time_point now);
  // A network port: moves what the device holds into the input queue;
  // returns how many bytes came.
  size_t takeDeviceInputLocked();
  // A network port: the device is readable: reads it, and reports the
  // arrival at once when no gathering runs, starting one.
  void receiveLocked(Clock::time_point now);
  void startGatheringLocked(Clock::time_point now);
  // The gathering time is over: reports what came during it in one event
  // and starts the next gathering, or ends gathering when nothing came.
  void endGatheringLocked(Clock::time_point now);
  // Before the queue is looked at or read: a terminal's arrivals are noted
  // (their event recorded), a network port takes in what gathers in the
  // device meanwhile.
  void catchUpLocked();
  // The event character the reader looks for, from the mask and settings.
  void watchEventCharLocked();
  // The input queue has room again.
  void inputTakenLocked(bool wasFull);

  // Events (serial_port_events.cpp).
  void recordEventLocked(DWORD event);
  std::optional<DWORD> takeEventLocked();
  void completePendingWaitLocked(DWORD error, DWORD value);
  void offerEventToWaiterLocked();

  BOOL failLocked(DWORD error) const;
  void abortWritesLocked(DWORD error);
  size_t queuedOutputLocked() const;

  std::mutex mutex_;
  int fd_;
  int wakeFd_ = -1;
  std::string lockPath_;  // the UUCP lock, removed at close or hang-up
  std::optional<termios> settingsBeforeOpen_;
  bool closed_ = false;
  DWORD hangUpError_ = 0;
  std::thread service_;

  SerialInputRing input_;
  // A terminal's; none for a network port.
  std::unique_ptr<SerialReader> reader_;
  uint64_t noticed_ = 0;  // input_.written() at the last look
  // While set, arrivals are reported at its end, not as they come.
  std::optional<Clock::time_point> gatheringUntil_;
  Clock::time_point gatheringStart_{};
  size_t gathered_ = 0;  // bytes that came since the gathering started
  Clock::duration gatheringLength_ = std::chrono::milliseconds(20);
  bool deviceEndSeen_ = false;  // poll saw a terminal end: its reader reads what is left
  // The arrivals of the bytes the last read took.
  std::vector<SERIAL_ARRIVAL> lastReadArrivals_;
  std::deque<PendingWrite> output_;
  COMMTIMEOUTS timeouts_{};
  // The last settings applied; termios does not hold every field.
  DCB dcb_{};

  DWORD mask_ = 0;
  DWORD recorded_ = 0;
  std::optional<PendingWait> pendingWait_;

  // Output drained: EV_TXEMPTY once the queue and the driver are empty.
  bool outputSinceEmpty_ = false;
  std::optional<Clock::time_point> drainCheckAt_;
  std::chrono::milliseconds drainCheckDelay_{0};
  // False once the driver's output queue was seen empty with nothing
  // written since (this handle alone writes to the device): ClearCommError
  // then spares the look at it.
  bool driverMayHoldOutput_ = true;

  std::unique_ptr<LineSignals> lines_;
  bool hasModemLines_ = false;
  // The device tells its modem lines when they change (takeModemLinesLocked)
  // rather than being looked at.
  bool linesTold_ = false;
  bool hasErrorCounters_ = false;
  int modemLines_ = 0;
  serial_icounter_struct counters_{};
  DWORD lineErrors_ = 0;
  Clock::time_point nextLineWatch_{};
};

}  // namespace platform
