// A network port's server that cannot be reached: refused, a name that does
// not resolve, no answer; an open that would wait longer than a moment; a
// second open; and the COM names defined for addresses.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include <kestrix/serial_open_report.h>

#include "network_test.h"

namespace {
using namespace network_test;
using Clock = std::chrono::steady_clock;

// A listening socket of the test's on the loopback address (IPv4 or IPv6).
class Listener {
 public:
  explicit Listener(int family, int backlog = 8) {
    fd_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage address{};
    socklen_t length;
    if (family == AF_INET6) {
      auto* in6 = reinterpret_cast<sockaddr_in6*>(&address);
      in6->sin6_family = AF_INET6;
      in6->sin6_addr = in6addr_loopback;
      length = sizeof *in6;
    } else {
      auto* in = reinterpret_cast<sockaddr_in*>(&address);
      in->sin_family = AF_INET;
      in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      length = sizeof *in;
    }
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd_, backlog) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    port_ = ntohs(family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                                     : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    family_ = family;
  }
  ~Listener() {
    for (int fd : fillers_) ::close(fd);
    if (fd_ >= 0) ::close(fd_);
  }
  unsigned Port() const { return port_; }
  // Fills the queue of connections waiting to be accepted, so that the
  // kernel drops every further connect's SYN: a server that never answers,
  // on this machine only.
  void FillQueue() {
    for (int i = 0; i < 3; ++i) {
      const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      address.sin_port = htons(static_cast<uint16_t>(port_));
      ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      fillers_.push_back(fd);
    }
    std::this_thread::sleep_for(50ms);  // the handshakes of the fillers
  }

 private:
  int fd_ = -1;
  int family_ = 0;
  unsigned port_ = 0;
  std::vector<int> fillers_;
};

class NetworkFailure : public ::testing::Test {
 protected:
  void TearDown() override {
    SetNetworkConnectTimeForTesting(0);
    ForgetNetworkRedialsForTesting();
  }
  // Opens COM45 at address: the handle, the error and how long it took.
  HANDLE open(const std::string& address) {
    defined.reset();  // before the new one: its removal would take the new link
    defined = std::make_unique<DefinedPort>(45, address);
    EXPECT_TRUE(defined->Defined()) << address;
    const Clock::time_point start = Clock::now();
    const HANDLE port = openPort(45);
    error = GetLastError();
    took = Clock::now() - start;
    return port;
  }
  std::unique_ptr<DefinedPort> defined;
  DWORD error = 0;
  Clock::duration took{};
};

TEST_F(NetworkFailure, ARefusedConnectIsToldAtOnceNamingTheServer) {
  const std::string address = "rfc2217://127.0.0.1:" + std::to_string(serial_lines::FreeLoopbackPort());
  EXPECT_EQ(open(address), INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, DWORD{ERROR_CONNECTION_REFUSED});
  EXPECT_LT(took, 400ms);
  SERIAL_OPEN_REPORT report{};
  ASSERT_TRUE(GetLastSerialOpenReport(&report));
  EXPECT_STREQ(report.szDevice, address.c_str());
}

TEST_F(NetworkFailure, ANameThatDoesNotResolveIsToldAsSuch) {
  EXPECT_EQ(open("rfc2217://no-such-board.invalid:2000"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, DWORD{WSAHOST_NOT_FOUND});
}

TEST_F(NetworkFailure, NamesAndIpv6AddressesReachTheirServer) {
  Listener named(AF_INET);
  HANDLE port = open("tcp://localhost:" + std::to_string(named.Port()));
  EXPECT_NE(port, INVALID_HANDLE_VALUE) << error;
  CloseHandle(port);
  Listener ipv6(AF_INET6);
  if (ipv6.Port() == 0) GTEST_SKIP() << "this machine has no IPv6 loopback address";
  port = open("tcp://[::1]:" + std::to_string(ipv6.Port()));
  EXPECT_NE(port, INVALID_HANDLE_VALUE) << error;
  CloseHandle(port);
}

TEST_F(NetworkFailure, AServerThatNeverAnswersTimesOutWithinTheConnectTime) {
  Listener silent(AF_INET, 0);
  silent.FillQueue();
  SetNetworkConnectTimeForTesting(300);
  EXPECT_EQ(open("rfc2217://127.0.0.1:" + std::to_string(silent.Port())), INVALID_HANDLE_VALUE);
  EXPECT_EQ(error, DWORD{ERROR_SEM_TIMEOUT});
  EXPECT_LT(took, 1s);
}

TEST_F(NetworkFailure, AnOpenWaitsAMomentAtMostAndALaterFailureIsAHangUp) {
  Listener silent(AF_INET, 0);
  silent.FillQueue();
  SetNetworkConnectTimeForTesting(1500);
  const HANDLE port = open("rfc2217://127.0.0.1:" + std::to_string(silent.Port()));
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  EXPECT_LT(took, 1s);
  // Settings and output wait for the connection meanwhile.
  EXPECT_TRUE(setLine(port, 9600, 8, NOPARITY, ONESTOPBIT));
  send(port, "waits");
  EXPECT_TRUE(lost(port));
  CloseHandle(port);
}

TEST_F(NetworkFailure, ASecondOpenOfTheSamePortIsRefusedAsInUse) {
  Listener server(AF_INET);
  const HANDLE first = open("tcp://127.0.0.1:" + std::to_string(server.Port()));
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  EXPECT_EQ(openPort(45), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ACCESS_DENIED});
  SERIAL_OPEN_REPORT report{};
  ASSERT_TRUE(GetLastSerialOpenReport(&report));
  EXPECT_TRUE(report.bInUse);
  EXPECT_EQ(report.dwHolderProcessId, GetCurrentProcessId());
  CloseHandle(first);
  const HANDLE again = openPort(45);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
}

TEST(NetworkPortNames, ADefinedNameIsListedWithItsAddressAndCanBeRemoved) {
  portsFolder();
  ASSERT_TRUE(DefineDosDeviceA(0, "COM46", "RFC2217://[::1]:2000"));
  EXPECT_FALSE(DefineDosDeviceA(0, "COM46", "tcp://h:1"));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
  char target[128];
  ASSERT_GT(QueryDosDeviceA("COM46", target, sizeof target), 0u);
  EXPECT_STREQ(target, "rfc2217://[::1]:2000");

  // The registry's serial map lists it, its friendly name the address.
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM\\FriendlyNames", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  char friendly[256];
  DWORD size = sizeof friendly;
  ASSERT_EQ(RegQueryValueExA(key, "COM46", nullptr, nullptr, reinterpret_cast<BYTE*>(friendly), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(friendly).rfind("rfc2217://[::1]:2000", 0), 0u) << friendly;

  // The list of names in use holds it.
  char names[8192];
  ASSERT_GT(QueryDosDeviceA(nullptr, names, sizeof names), 0u);
  bool listed = false;
  for (const char* name = names; *name; name += std::strlen(name) + 1) listed |= std::string(name) == "COM46";
  EXPECT_TRUE(listed);

  EXPECT_FALSE(DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, "COM46", "tcp://[::1]:2000"));
  EXPECT_TRUE(DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, "COM46", "rfc2217://[::1]:2000"));
  EXPECT_EQ(QueryDosDeviceA("COM46", target, sizeof target), 0u);
  for (const char* bad : {"tcp://nohost", "relative/path", ""}) EXPECT_FALSE(DefineDosDeviceA(0, "COM46", bad)) << bad;
  EXPECT_FALSE(DefineDosDeviceA(0, "LPT1", "/dev/null"));
}

}  // namespace
