// The far ends of serial lines for a test program under Wine, as a Linux
// process: pseudo-terminal pairs whose terminal sides are linked as COM<n>
// in the prefix's lines folder (the prefix maps every COM<n> to
// <lines folder>/com<n>). The test program starts it with the loopback port
// it listens on and the lines folder, then asks over that connection
// (far_end_protocol.h). It ends, removing its links, when the connection
// closes.
//   far_end_helper <port> <lines folder>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "far_end_protocol.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Line {
  int master = -1;
  int terminal = -1;
  std::string link;
};

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(left > 0 ? left : 0);
}

class Lines {
 public:
  explicit Lines(std::string folder) : folder_(std::move(folder)) {}
  ~Lines() {
    for (auto& entry : lines_) Unplug(entry.first);
  }

  std::string Plug(unsigned port) {
    Unplug(port);
    Line line;
    line.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (line.master < 0 || ::grantpt(line.master) != 0 || ::unlockpt(line.master) != 0) return "ERR no pseudo-terminal";
    const std::string terminalPath = ::ptsname(line.master);
    // Held open so that the line does not hang up between the port's opens.
    line.terminal = ::open(terminalPath.c_str(), O_RDWR | O_NOCTTY);
    line.link = folder_ + "/com" + std::to_string(port);
    ::unlink(line.link.c_str());
    const bool linked = line.terminal >= 0 && ::symlink(terminalPath.c_str(), line.link.c_str()) == 0;
    lines_[port] = line;
    if (!linked) {
      Unplug(port);
      return "ERR cannot link " + folder_ + "/com" + std::to_string(port);
    }
    return "OK";
  }

  void Unplug(unsigned port) {
    Unlink(port);
    HangUp(port);
  }

  void HangUp(unsigned port) {
    Line& line = lines_[port];
    if (line.master >= 0) ::close(line.master);
    if (line.terminal >= 0) ::close(line.terminal);
    line.master = line.terminal = -1;
  }

  void Unlink(unsigned port) {
    Line& line = lines_[port];
    if (!line.link.empty()) ::unlink(line.link.c_str());
    line.link.clear();
  }

  std::string Send(unsigned port, const std::string& bytes) {
    const int master = lines_[port].master;
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t count = ::write(master, bytes.data() + done, bytes.size() - done);
      if (count > 0) {
        done += static_cast<size_t>(count);
        continue;
      }
      pollfd writable{master, POLLOUT, 0};
      if (master < 0 || ::poll(&writable, 1, 10000) <= 0)
        return "ERR sent only " + std::to_string(done) + " of " + std::to_string(bytes.size()) + " bytes";
    }
    return "OK";
  }

  // Up to `count` bytes, reading until they came or the time passed.
  std::string Receive(unsigned port, size_t count, int milliseconds) {
    const int master = lines_[port].master;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    std::string bytes;
    char chunk[65536];
    while (bytes.size() < count) {
      pollfd readable{master, POLLIN, 0};
      if (::poll(&readable, 1, MillisecondsLeft(deadline)) <= 0) break;
      const size_t wanted = count - bytes.size() < sizeof chunk ? count - bytes.size() : sizeof chunk;
      const ssize_t got = ::read(master, chunk, wanted);
      if (got <= 0) break;
      bytes.append(chunk, static_cast<size_t>(got));
    }
    return "DATA " + serial_lines::ToHex(bytes);
  }

  std::string Quiet(unsigned port, int milliseconds) {
    pollfd readable{lines_[port].master, POLLIN, 0};
    return ::poll(&readable, 1, milliseconds) == 0 ? "YES" : "NO";
  }

 private:
  std::string folder_;
  std::map<unsigned, Line> lines_;
};

std::string Answer(Lines& lines, const std::string& request) {
  std::istringstream words(request);
  std::string verb;
  unsigned port = 0;
  words >> verb >> port;
  if (verb == "PLUG") return lines.Plug(port);
  if (verb == "UNPLUG") return lines.Unplug(port), "OK";
  if (verb == "HANGUP") return lines.HangUp(port), "OK";
  if (verb == "UNLINK") return lines.Unlink(port), "OK";
  std::string hex;
  size_t count = 0;
  int milliseconds = 0;
  if (verb == "SEND" && (words >> hex || hex.empty())) return lines.Send(port, serial_lines::FromHex(hex));
  if (verb == "RECV" && words >> count >> milliseconds) return lines.Receive(port, count, milliseconds);
  if (verb == "RECVFOR" && words >> milliseconds) return lines.Receive(port, SIZE_MAX, milliseconds);
  if (verb == "QUIET" && words >> milliseconds) return lines.Quiet(port, milliseconds);
  return "ERR cannot read the request: " + request.substr(0, 40);
}

int Connect(int port) {
  const int connection = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connection < 0 || ::connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -1;
  return connection;
}

bool WriteAll(int connection, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t count = ::write(connection, text.data() + done, text.size() - done);
    if (count <= 0) return false;
    done += static_cast<size_t>(count);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: far_end_helper <port> <lines folder>\n");
    return 2;
  }
  const int connection = Connect(std::atoi(argv[1]));
  if (connection < 0) {
    std::perror("far_end_helper: connect");
    return 1;
  }
  Lines lines(argv[2]);
  std::string pending;
  char chunk[65536];
  for (;;) {
    const size_t end = pending.find('\n');
    if (end != std::string::npos) {
      const std::string request = pending.substr(0, end);
      pending.erase(0, end + 1);
      if (!WriteAll(connection, Answer(lines, request) + "\n")) break;
      continue;
    }
    const ssize_t got = ::read(connection, chunk, sizeof chunk);
    if (got <= 0) break;  // the test program is gone
    pending.append(chunk, static_cast<size_t>(got));
  }
  ::close(connection);
  return 0;
}
