// The Telnet protocol as an RFC 2217 client speaks it: data with every
// 0xFF (IAC) doubled, the option negotiation (BINARY both ways,
// SUPPRESS-GO-AHEAD both ways, COM-PORT-OPTION) and the COM-PORT-OPTION
// subnegotiations. Only bytes in and bytes out: no socket, no clock, so
// that every case can be fed to it in a test.
//
// The client is this layer's own rather than gensio's (the library ser2net
// is built on): gensio drives its connections from an event loop of its own
// (its selector, its timers, and a process signal to wake its threads),
// where a network port must run on its service thread's poll loop as a
// terminal does, and needs answers checked the way SetCommState reports
// them (a refusal, a setting left unanswered).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform::telnet {

constexpr unsigned char IAC = 255;
constexpr unsigned char DONT = 254;
constexpr unsigned char DO = 253;
constexpr unsigned char WONT = 252;
constexpr unsigned char WILL = 251;
constexpr unsigned char SB = 250;
constexpr unsigned char SE = 240;

constexpr unsigned char kBinary = 0;
constexpr unsigned char kSuppressGoAhead = 3;
constexpr unsigned char kComPortOption = 44;

// COM-PORT-OPTION commands, client to server; a server answers or notifies
// with the command plus kServerCommand.
enum ComPortCommand : unsigned char {
  kSetBaudRate = 1,
  kSetDataSize = 2,
  kSetParity = 3,
  kSetStopSize = 4,
  kSetControl = 5,
  kNotifyLineState = 6,
  kNotifyModemState = 7,
  kFlowControlSuspend = 8,
  kFlowControlResume = 9,
  kSetLineStateMask = 10,
  kSetModemStateMask = 11,
  kPurgeData = 12,
};
constexpr unsigned char kServerCommand = 100;

// NOTIFY-LINESTATE's bits (those a terminal's errors match) and
// NOTIFY-MODEMSTATE's.
constexpr unsigned char kOverrunError = 0x02;
constexpr unsigned char kParityError = 0x04;
constexpr unsigned char kFramingError = 0x08;
constexpr unsigned char kBreakDetected = 0x10;
constexpr unsigned char kCtsDelta = 0x01;
constexpr unsigned char kDsrDelta = 0x02;
constexpr unsigned char kRingEnded = 0x04;
constexpr unsigned char kDcdDelta = 0x08;
constexpr unsigned char kCts = 0x10;
constexpr unsigned char kDsr = 0x20;
constexpr unsigned char kRing = 0x40;
constexpr unsigned char kDcd = 0x80;

// Appends bytes of data, each 0xFF doubled.
void appendData(std::string& out, const unsigned char* data, size_t count);
// Appends IAC SB COM-PORT-OPTION command value IAC SE, 0xFF in the value
// doubled.
void appendComPortCommand(std::string& out, ComPortCommand command, const std::vector<unsigned char>& value);

// Takes the stream from the server apart: data bytes, option commands and
// subnegotiations, each whole even when split between reads.
class Reader {
 public:
  struct Handler {
    virtual ~Handler() = default;
    // WILL, WONT, DO or DONT and the option.
    virtual void optionCommand(unsigned char verb, unsigned char option) = 0;
    // The bytes between IAC SB and IAC SE, doubled IACs made single.
    virtual void subnegotiation(const std::vector<unsigned char>& body) = 0;
  };

  // Reads count bytes from the server; the data among them goes to data
  // (which has room for count bytes), the rest to the handler. Returns how
  // many data bytes there were.
  size_t read(const unsigned char* bytes, size_t count, unsigned char* data, Handler& handler);

 private:
  enum class State { Data, Command, Option, Sub, SubCommand };
  // A subnegotiation longer than any this client understands is read to
  // its end and dropped, so a server cannot make it grow without bound.
  static constexpr size_t kLongestSubnegotiation = 64;

  State state_ = State::Data;
  unsigned char verb_ = 0;
  std::vector<unsigned char> sub_;
  bool subTooLong_ = false;
};

// The client's side of the option negotiation, by RFC 1143's rules so
// that no request is answered twice and no loop starts: each option is on
// or off on each side, a request we made is waited for, and a request to
// turn on an option we do not use is refused once.
class Options {
 public:
  // The client's requests at the start: BINARY and SUPPRESS-GO-AHEAD both
  // ways, and that it will speak COM-PORT-OPTION.
  void start(std::string& out);
  // An option command from the server; the answer, if any, goes to out.
  void received(unsigned char verb, unsigned char option, std::string& out);

  // The server takes COM-PORT-OPTION commands (it said DO, or offered
  // WILL, COM-PORT-OPTION).
  bool comPortAgreed() const;
  // The server refused COM-PORT-OPTION: it is a Telnet server without it.
  bool comPortRefused() const;

 private:
  enum class Side : uint8_t { No, WantYes, Yes };
  struct Option {
    Side ours = Side::No;    // we WILL
    Side theirs = Side::No;  // they WILL
    bool refusedOurs = false;
    bool refusedTheirs = false;
  };
  static bool wanted(unsigned char option);

  Option options_[256];
};

}  // namespace platform::telnet
