// Winsock before the Win32 headers, as it asks.
#include <winsock2.h>

#include "remote_far_end.h"

#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>

#include "far_end_protocol.h"

namespace serial_lines {
namespace {

// The helper process and the connection to it, for the whole test program.
class Helper {
 public:
  static Helper& Instance() {
    static Helper helper;
    return helper;
  }

  // Sends one request and returns its answer; a refused request throws.
  std::string Ask(const std::string& request) {
    std::lock_guard<std::mutex> guard(lock_);
    const std::string line = request + "\n";
    for (size_t done = 0; done < line.size();) {
      const int sent = ::send(connection_, line.data() + done, static_cast<int>(line.size() - done), 0);
      if (sent <= 0) throw std::runtime_error("the far-end helper is gone");
      done += static_cast<size_t>(sent);
    }
    std::string answer = ReadLine();
    if (answer.rfind("ERR", 0) == 0) throw std::runtime_error("far end: " + answer);
    return answer;
  }

 private:
  Helper() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("no sockets");
    const SOCKET listener = Listen();
    Start(PortOf(listener));
    connection_ = AcceptWithin(listener, 60000);
    ::closesocket(listener);
  }

  static SOCKET Listen() {
    const SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (listener == INVALID_SOCKET || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 1) != 0)
      throw std::runtime_error("cannot listen for the far-end helper");
    return listener;
  }

  static int PortOf(SOCKET listener) {
    sockaddr_in address{};
    int size = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    return ntohs(address.sin_port);
  }

  // The helper is a Linux program, which Wine starts like any other; its
  // path is given as the Z: drive that stands for the Linux root.
  static void Start(int port) {
    char prefix[MAX_PATH] = {};
    if (GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix) == 0)
      throw std::runtime_error("the far ends need Wine: WINEPREFIX is not set");
    std::string program = std::string("Z:") + KESTRIX_FAR_END_HELPER;
    for (char& c : program)
      if (c == '/') c = '\\';
    std::string command =
        "\"" + program + "\" " + std::to_string(port) + " \"" + std::string(prefix) + "/serial_lines\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      throw std::runtime_error("cannot start the far-end helper " + program);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }

  static SOCKET AcceptWithin(SOCKET listener, long milliseconds) {
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(listener, &ready);
    timeval wait{milliseconds / 1000, (milliseconds % 1000) * 1000};
    if (::select(0, &ready, nullptr, nullptr, &wait) != 1) throw std::runtime_error("the far-end helper never called");
    const SOCKET connection = ::accept(listener, nullptr, nullptr);
    if (connection == INVALID_SOCKET) throw std::runtime_error("the far-end helper's call failed");
    return connection;
  }

  std::string ReadLine() {
    for (;;) {
      const size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        return line;
      }
      char chunk[65536];
      const int got = ::recv(connection_, chunk, sizeof chunk, 0);
      if (got <= 0) throw std::runtime_error("the far-end helper is gone");
      pending_.append(chunk, static_cast<size_t>(got));
    }
  }

  std::mutex lock_;
  SOCKET connection_ = INVALID_SOCKET;
  std::string pending_;
};

std::string Ask(const std::string& verb, DWORD port, const std::string& rest = std::string()) {
  return Helper::Instance().Ask(verb + " " + std::to_string(port) + (rest.empty() ? "" : " " + rest));
}

std::string Data(const std::string& answer) { return FromHex(answer.substr(answer.find(' ') + 1)); }

}  // namespace

FarEnd::FarEnd(DWORD port) : port_(port) { Ask("PLUG", port_); }

FarEnd::~FarEnd() {
  try {
    Ask("UNPLUG", port_);
  } catch (const std::exception&) {
    // The helper is gone, and its links with it.
  }
}

void FarEnd::Send(const std::string& bytes) { Ask("SEND", port_, ToHex(bytes)); }

void FarEnd::SendAndLeaveWaiting(const std::string& bytes) {
  Send(bytes);
  Sleep(200);
}

std::string FarEnd::Receive(size_t count, std::chrono::milliseconds timeout) {
  return Data(Ask("RECV", port_, std::to_string(count) + " " + std::to_string(timeout.count())));
}

std::string FarEnd::ReceiveFor(std::chrono::milliseconds time) {
  return Data(Ask("RECVFOR", port_, std::to_string(time.count())));
}

bool FarEnd::NothingArrives(std::chrono::milliseconds quiet) {
  return Ask("QUIET", port_, std::to_string(quiet.count())) == "YES";
}

void FarEnd::HangUp() { Ask("HANGUP", port_); }

void FarEnd::Unlink() { Ask("UNLINK", port_); }

}  // namespace serial_lines
