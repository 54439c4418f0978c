// A COM port served over the network: a connection to an RFC 2217 server
// (Telnet with COM-PORT-OPTION, as ser2net's telnet(rfc2217) accepter) or a
// raw TCP server, in the place of a terminal. Everything a terminal port
// does from its input queue on (events, gathering, reads, the output queue,
// time-outs) is SerialPort's; this class connects, speaks the protocol and
// turns the port's settings, modem lines, breaks, purges and flow into
// COM-PORT-OPTION commands and the server's notifications into the same
// events and errors a terminal gives.
//
// The window never waits on the network for long: an open waits at most
// kOpenWait for the server to answer (a refusal, an unknown name and a
// server on the same network are all told within it) and otherwise goes on
// reaching it on the port's service thread, where a later failure is a
// hang-up as an unplugged adapter's; SetCommState waits at most
// kAnswerTime for the answers to what it sent. A server that leaves a
// setting unanswered (ser2net leaves DTR and RTS unanswered on a line
// without modem control) does not fail the call: GetCommProperties tells
// which settings went unconfirmed. A server that answers with another value
// than asked refused it: SetCommState fails with ERROR_INVALID_PARAMETER
// and the earlier settings are sent back, as a terminal refuses settings.
// The server handles commands in order, so an answer to a later command
// means an earlier one without its answer was left unanswered.
//
// A raw TCP port carries bytes only: SetCommState keeps the settings
// without sending them (GetCommProperties says none can be set),
// GetCommModemStatus and the modem lines and breaks of EscapeCommFunction
// fail with ERROR_NOT_SUPPORTED, as on a device without modem lines.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>

#include "network_address.h"
#include "network_connector.h"
#include "serial_port.h"
#include "telnet_com_port.h"

namespace platform {

class NetworkPort : public SerialPort {
 public:
  static constexpr std::chrono::milliseconds kOpenWait{500};
  static constexpr std::chrono::milliseconds kAnswerTime{300};
  // How long the server may take to agree to COM-PORT-OPTION before the
  // port goes on without it (its settings then unconfirmed).
  static constexpr std::chrono::milliseconds kNegotiationTime{1000};

  // Opens COM<number> on the server at address, on a socket already
  // connected to it (a redial's) or reaching it afresh, and waits at most
  // kOpenWait for the outcome. Null with the Win32 error in *error when the
  // server could not be reached.
  static std::shared_ptr<NetworkPort> open(DWORD number, const NetworkAddress& address, int connectedSocket,
                                           DWORD* error);

  NetworkPort(DWORD number, const NetworkAddress& address);
  ~NetworkPort() override;

  // A port whose connection was lost hands its address to the redial
  // (network_redial.h), which reaches the server again in the background.
  void onClose() override;
  BOOL getState(DCB* dcb) override;
  BOOL setState(const DCB& dcb) override;
  BOOL properties(COMMPROP* properties) override;
  // Runs once the port has closed.
  void whenClosed(std::function<void()> done) { whenClosed_ = std::move(done); }

 protected:
  int deviceDescriptorLocked() const override;
  short deviceInterestLocked() const override;
  bool deviceTakesOutputLocked() const override;
  std::optional<Clock::time_point> deviceDeadlineLocked() const override;
  void serviceDeviceLocked(short& seen, Clock::time_point now) override;
  ssize_t readDeviceLocked(unsigned char* into, size_t room) override;
  ssize_t writeDeviceLocked(const unsigned char* bytes, size_t count) override;
  size_t deviceOutputLocked() override;
  void flushDeviceLocked(bool input, bool output) override;
  bool holdDeviceOutputLocked(bool hold) override;
  void deviceHungUpLocked() override;
  void releaseDeviceLocked() override;

 private:
  friend class NetworkLineSignals;
  class ProtocolHandler;

  enum class Phase { Connecting, Negotiating, Ready, Gone };
  // What a command sets; each has its own bit in GetCommProperties's
  // provider words.
  enum class Setting { Baud, DataSize, Parity, StopSize, Flow, Dtr, Rts, Break };
  struct Expectation {
    Setting setting;
    unsigned value;  // as sent
    Clock::time_point sent;
    unsigned batch;     // the SetCommState that sent it; 0 for others
    uint64_t sequence;  // in the order sent
    bool query;         // a question whose answer only shows the order
  };

  void startLocked(int connectedSocket);
  void connectedLocked(int socket, Clock::time_point now);
  void readyLocked();
  bool comPortLocked() const;
  // Sends a COM-PORT-OPTION command; expecting an answer of setting.
  void commandLocked(telnet::ComPortCommand command, const std::vector<unsigned char>& value);
  void expectLocked(Setting setting, unsigned value, unsigned batch, bool query = false);
  // Sends what differs between dcb and what the server was told (all of it
  // the first time); returns the batch number.
  unsigned tellSettingsLocked(const DCB& dcb);
  void answerLocked(Setting setting, unsigned value);
  void expireAnswersLocked(Clock::time_point now);
  void lineStateLocked(unsigned state);
  void modemStateLocked(unsigned state);
  // Sends what waits to be sent; false after a failure (the port hung up).
  bool flushLocked();
  void failConnectionLocked(DWORD cause);
  // Raises or drops DTR or RTS, or a break, through COM-PORT-OPTION.
  bool controlLocked(Setting setting, bool on);
  static DWORD bitOf(Setting setting);

  std::function<void()> whenClosed_;
  const DWORD number_;
  const NetworkAddress address_;
  Phase phase_ = Phase::Connecting;
  std::unique_ptr<NetworkConnector> connector_;
  // Why the connection failed or ended; 0 while it lives.
  DWORD cause_ = 0;
  bool everConnected_ = false;
  bool handedOut_ = false;           // an open returned it
  std::condition_variable changed_;  // phase and answers, with mutex_

  telnet::Reader reader_;
  telnet::Options options_;
  std::unique_ptr<ProtocolHandler> handler_;
  std::vector<unsigned char> received_;  // raw bytes read, before the Telnet reader
  std::string toSend_;                   // protocol output and escaped data, in order
  Clock::time_point negotiationEnds_{};
  bool suspended_ = false;   // FLOWCONTROL-SUSPEND from the server
  bool heldByXoff_ = false;  // EscapeCommFunction(SETXOFF)

  // What the server was told, once it was told anything.
  std::optional<DCB> told_;
  bool settingsWaiting_ = false;  // settings kept for when the server agrees
  bool dtrOn_ = true;
  bool rtsOn_ = true;
  // Commands waiting for their answer, in the order sent; then those past
  // their answer time, whose answer may still come late. A command that the
  // server answered a later command after was left unanswered for good and
  // is in neither.
  std::deque<Expectation> expected_;
  std::deque<Expectation> late_;
  uint64_t nextSequence_ = 0;
  unsigned lastBatch_ = 0;
  unsigned waitingBatch_ = 0;  // the batch a SetCommState waits for the answers of
  DWORD refusedInBatch_ = 0;   // settings that batch's answers refused
  DWORD unconfirmed_ = 0;
  DWORD overruled_ = 0;
};

}  // namespace platform
