// Servers of network ports for tests and benchmarks, each a program nobody
// here wrote, started on a free TCP port of 127.0.0.1 and ended with the
// object: ser2net serving a far end's terminal (RFC 2217 or raw), pyserial's
// RFC 2217 server on a loopback line (rfc2217_test_server.py), and socat
// serving a terminal as raw TCP. A server whose program is missing is not
// started: Available() says so, and why, for the test to skip.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace serial_lines {

// A TCP port of 127.0.0.1 on which nothing listened when asked.
unsigned FreeLoopbackPort();
// Whether something listens on 127.0.0.1:port now.
bool Listening(unsigned port);

// A child program with its standard input and output on pipes.
class ChildProgram {
 public:
  ChildProgram() = default;
  ~ChildProgram();
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  // Starts it; false when it could not be started.
  bool Start(const std::vector<std::string>& arguments);
  // The next line it printed, without its end; nothing when none came in
  // time or it ended.
  std::optional<std::string> Line(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // The first line starting with prefix, skipping others.
  std::optional<std::string> LineStarting(const std::string& prefix,
                                          std::chrono::milliseconds timeout = std::chrono::seconds(10));
  void Write(const std::string& text);
  // Sends the signal and waits for the end.
  void End(int signal);
  bool Running() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string pending_;
};

// ser2net (Debian's 4.x) serving the terminal at device on port: through
// Telnet with RFC 2217, or raw.
class Ser2net {
 public:
  Ser2net(const std::string& device, unsigned port, bool rfc2217);
  ~Ser2net();
  // Why it cannot run; empty when it runs.
  const std::string& Unavailable() const { return unavailable_; }
  unsigned Port() const { return port_; }
  std::string Address() const;
  // Killed at once (SIGKILL), as a server that crashes or loses power; Start
  // brings it back on the same port.
  void Kill();
  bool Start();

 private:
  std::string device_;
  unsigned port_;
  bool rfc2217_;
  std::string folder_;
  std::string unavailable_;
  ChildProgram program_;
};

// pyserial's RFC 2217 server on a loopback line (bytes sent come back),
// printing what it is told and taking commands (rfc2217_test_server.py).
class PyserialServer {
 public:
  PyserialServer();
  ~PyserialServer() = default;
  const std::string& Unavailable() const { return unavailable_; }
  unsigned Port() const { return port_; }
  std::string Address() const;
  // The next line it printed that starts with prefix ("DTR", "SETTINGS").
  std::optional<std::string> Told(const std::string& prefix,
                                  std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Runs a command and waits until it is done.
  bool Command(const std::string& command);

 private:
  unsigned port_;
  std::string unavailable_;
  ChildProgram program_;
};

// socat serving the terminal at device on port as raw TCP.
class SocatServer {
 public:
  SocatServer(const std::string& device, unsigned port);
  const std::string& Unavailable() const { return unavailable_; }
  std::string Address() const;

 private:
  unsigned port_;
  std::string unavailable_;
  ChildProgram program_;
};

}  // namespace serial_lines
