// A raw TCP port on socat serving a pseudo-terminal's far end: bytes go
// through untouched, and settings and modem lines say they are not there.
#include <termios.h>

#include "network_test.h"

namespace {
using namespace network_test;

class RawTcpPort : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT(server);
    ASSERT_TRUE(defined.Defined());
    port = openPort(43);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
  }
  void TearDown() override {
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  }

  serial_lines::FarEnd far;
  serial_lines::SocatServer server{far.TerminalPath(), serial_lines::FreeLoopbackPort()};
  DefinedPort defined{43, server.Address()};
  HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(RawTcpPort, CarriesEveryByteValueUntouchedBothWays) {
  const std::string bytes = everyByte();
  send(port, bytes);
  EXPECT_EQ(far.Receive(bytes.size()), bytes);
  far.Send(bytes);
  EXPECT_EQ(receive(port, bytes.size()), bytes);
}

TEST_F(RawTcpPort, LineSettingsAndModemLinesSayTheyAreNotAvailable) {
  const termios original = far.Settings();
  const speed_t before = cfgetospeed(&original);
  // The settings are kept (the program's open sets them) but reach nothing,
  // and the port says that none can be set.
  ASSERT_TRUE(setLine(port, 1200, 7, EVENPARITY, TWOSTOPBITS));
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 1200u);
  const COMMPROP told = properties(port);
  EXPECT_EQ(told.dwProvSubType, DWORD{PST_NETWORK_BRIDGE});
  EXPECT_EQ(told.dwSettableParams, 0u);
  termios line = far.Settings();
  EXPECT_EQ(cfgetospeed(&line), before);

  DWORD status = 0;
  EXPECT_FALSE(GetCommModemStatus(port, &status));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_SUPPORTED});
  for (DWORD function : {SETDTR, CLRRTS, SETBREAK}) {
    EXPECT_FALSE(EscapeCommFunction(port, function));
    EXPECT_EQ(GetLastError(), DWORD{ERROR_NOT_SUPPORTED}) << function;
  }
}

}  // namespace
