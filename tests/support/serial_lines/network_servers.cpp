#include "network_servers.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "wait_until.h"

namespace serial_lines {
namespace {

using namespace std::chrono_literals;

bool ProgramRuns(const std::vector<std::string>& arguments) {
  ChildProgram probe;
  if (!probe.Start(arguments)) return false;
  // A program that cannot be run ends at once with 127 (exec failed).
  int status = 0;
  const pid_t pid = probe.Pid();
  for (int i = 0; i < 200; ++i) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      probe.End(0);
      return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

std::string MakeFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-net-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace

unsigned FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  unsigned port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}

bool Listening(unsigned port) {
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream file(table);
    std::string line;
    std::getline(file, line);  // the heading
    while (std::getline(file, line)) {
      std::istringstream fields(line);
      std::string slot, local, remote, state;
      fields >> slot >> local >> remote >> state;
      const size_t colon = local.rfind(':');
      if (colon == std::string::npos || state != "0A") continue;
      if (std::strtoul(local.c_str() + colon + 1, nullptr, 16) == port) return true;
    }
  }
  return false;
}

ChildProgram::~ChildProgram() { End(SIGKILL); }

bool ChildProgram::Start(const std::vector<std::string>& arguments) {
  int input[2], output[2];
  if (::pipe2(input, O_CLOEXEC) != 0) return false;
  if (::pipe2(output, O_CLOEXEC) != 0) {
    ::close(input[0]);
    ::close(input[1]);
    return false;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(input[0], 0);
    ::dup2(output[1], 1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(output[1]);
  if (pid < 0) {
    ::close(input[1]);
    ::close(output[0]);
    return false;
  }
  pid_ = pid;
  in_ = input[1];
  out_ = output[0];
  return true;
}

std::optional<std::string> ChildProgram::Line(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return line;
    }
    if (out_ < 0) return std::nullopt;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd watched{out_, POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t count = ::read(out_, buffer, sizeof buffer);
    if (count <= 0) {
      ::close(out_);
      out_ = -1;
      continue;
    }
    pending_.append(buffer, static_cast<size_t>(count));
  }
}

std::optional<std::string> ChildProgram::LineStarting(const std::string& prefix, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    std::optional<std::string> line = Line(left);
    if (!line) return std::nullopt;
    if (line->compare(0, prefix.size(), prefix) == 0) return line;
  }
}

void ChildProgram::Write(const std::string& text) {
  if (in_ >= 0) [[maybe_unused]]
    ssize_t ignored = ::write(in_, text.data(), text.size());
}

void ChildProgram::End(int signal) {
  if (pid_ > 0) {
    if (signal != 0) ::kill(pid_, signal);
    int status;
    ::waitpid(pid_, &status, 0);
  }
  pid_ = -1;
  if (in_ >= 0) ::close(in_);
  if (out_ >= 0) ::close(out_);
  in_ = out_ = -1;
  pending_.clear();
}

Ser2net::Ser2net(const std::string& device, unsigned port, bool rfc2217)
    : device_(device), port_(port), rfc2217_(rfc2217), folder_(MakeFolder()) {
  if (!ProgramRuns({"ser2net", "-v"})) {
    unavailable_ = "ser2net is not installed (Debian package ser2net)";
    return;
  }
  std::ofstream config(folder_ + "/ser2net.yaml");
  config << "connection: &line\n"
         << "  accepter: " << (rfc2217 ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1," << port << "\n"
         << "  connector: serialdev," << device << ",9600n81,local\n";
  config.close();
  if (!Start()) unavailable_ = "ser2net did not start listening on 127.0.0.1:" + std::to_string(port);
}

Ser2net::~Ser2net() {
  program_.End(SIGKILL);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string Ser2net::Address() const {
  return std::string(rfc2217_ ? "rfc2217://" : "tcp://") + "127.0.0.1:" + std::to_string(port_);
}

void Ser2net::Kill() { program_.End(SIGKILL); }

bool Ser2net::Start() {
  program_.End(SIGKILL);
  if (!program_.Start({"ser2net", "-n", "-d", "-c", folder_ + "/ser2net.yaml", "-P", folder_ + "/ser2net.pid"}))
    return false;
  return WaitUntil([&] { return Listening(port_); }, std::chrono::seconds(10));
}

PyserialServer::PyserialServer() : port_(FreeLoopbackPort()) {
  if (!ProgramRuns({"/usr/bin/python3", "-c", "import serial.rfc2217"})) {
    unavailable_ = "pyserial is not installed (Debian package python3-serial)";
    return;
  }
  if (!program_.Start({"/usr/bin/python3", KESTRIX_RFC2217_TEST_SERVER, std::to_string(port_)}) ||
      !program_.LineStarting("LISTENING"))
    unavailable_ = "pyserial's RFC 2217 server did not start";
}

std::string PyserialServer::Address() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }

std::optional<std::string> PyserialServer::Told(const std::string& prefix, std::chrono::milliseconds timeout) {
  return program_.LineStarting(prefix, timeout);
}

bool PyserialServer::Command(const std::string& command) {
  program_.Write(command + "\n");
  return program_.LineStarting("DONE").has_value();
}

SocatServer::SocatServer(const std::string& device, unsigned port) : port_(port) {
  if (!ProgramRuns({"socat", "-V"})) {
    unavailable_ = "socat is not installed (Debian package socat)";
    return;
  }
  const std::string listen = "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr";
  if (!program_.Start({"socat", listen, "FILE:" + device + ",rawer"}) ||
      !WaitUntil([&] { return Listening(port); }, std::chrono::seconds(10)))
    unavailable_ = "socat did not start listening";
}

std::string SocatServer::Address() const { return "tcp://127.0.0.1:" + std::to_string(port_); }

}  // namespace serial_lines
