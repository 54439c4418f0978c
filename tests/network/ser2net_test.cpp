// A network port on ser2net (Debian's), serving a pseudo-terminal's far end
// through Telnet with RFC 2217: bytes, line settings read back from the far
// terminal, a line without modem control, and the server going away.
#include <termios.h>

#include "network_test.h"

namespace {
using namespace network_test;

class Ser2netPort : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT(server);
    ASSERT_TRUE(defined.Defined());
    port = openPort(41);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(SetupComm(port, 4096, 4096));
  }
  void TearDown() override {
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
    ForgetNetworkRedialsForTesting();
  }

  serial_lines::FarEnd far;
  serial_lines::Ser2net server{far.TerminalPath(), serial_lines::FreeLoopbackPort(), true};
  DefinedPort defined{41, server.Address()};
  HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(Ser2netPort, CarriesEveryByteValueBothWays) {
  ASSERT_TRUE(setLine(port, 115200, 8, NOPARITY, ONESTOPBIT));
  const std::string bytes = everyByte();
  send(port, bytes);
  EXPECT_EQ(far.Receive(bytes.size()), bytes);
  far.Send(bytes);
  EXPECT_EQ(receive(port, bytes.size()), bytes);
}

// A pseudo-terminal keeps 8 data bits without parity whatever it is told
// (Linux's pty driver), so its rate, stop bits and flow control are read
// back here, and data bits and parity at pyserial's server; that ser2net
// took them shows in its answers.
TEST_F(Ser2netPort, EachLineSettingReachesTheFarTerminal) {
  ASSERT_TRUE(setLine(port, 115200, 7, EVENPARITY, TWOSTOPBITS));
  // ser2net answers a setting as it hands it to the terminal; the terminal
  // has it a moment later.
  termios line{};
  EXPECT_TRUE(WaitUntil(
      [&] {
        line = far.Settings();
        return (line.c_cflag & CSTOPB) != 0;
      },
      2s));
  EXPECT_EQ(cfgetospeed(&line), B115200);
  EXPECT_TRUE(line.c_cflag & CSTOPB);
  EXPECT_FALSE(line.c_cflag & CRTSCTS);
  EXPECT_EQ(properties(port).dwProvSpec1 & (SP_BAUD | SP_DATABITS | SP_PARITY | SP_STOPBITS), 0u);

  ASSERT_TRUE(setLine(port, 1200, 8, ODDPARITY, ONESTOPBIT, true));
  EXPECT_TRUE(WaitUntil(
      [&] {
        line = far.Settings();
        return (line.c_cflag & CSTOPB) == 0;
      },
      2s));
  EXPECT_EQ(cfgetospeed(&line), B1200);
  EXPECT_FALSE(line.c_cflag & CSTOPB);
  EXPECT_TRUE(line.c_cflag & CRTSCTS);
  EXPECT_EQ(properties(port).dwProvSpec1 & (SP_BAUD | SP_PARITY | SP_STOPBITS | SP_HANDSHAKING), 0u);
  // Only what changed was sent, and the port keeps what it was given.
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 1200u);
  EXPECT_EQ(dcb.Parity, ODDPARITY);
}

TEST_F(Ser2netPort, ALineWithoutModemControlOpensAndSaysWhatWentUnconfirmed) {
  // ser2net answers the framing but leaves DTR and RTS on a pseudo-terminal
  // unanswered: the settings are taken, and the port says which were not
  // confirmed.
  ASSERT_TRUE(setLine(port, 9600, 8, NOPARITY, ONESTOPBIT));
  const COMMPROP told = properties(port);
  EXPECT_EQ(told.dwProvSubType, DWORD{PST_TCPIP_TELNET});
  EXPECT_EQ(told.dwProvSpec1 & (PROV_SPEC_DTR | PROV_SPEC_RTS), DWORD{PROV_SPEC_DTR | PROV_SPEC_RTS});
  EXPECT_EQ(told.dwProvSpec1 & (SP_BAUD | SP_DATABITS | SP_PARITY | SP_STOPBITS | SP_HANDSHAKING), 0u);
  EXPECT_TRUE(EscapeCommFunction(port, CLRDTR));
}

TEST_F(Ser2netPort, AServerKilledMidStreamIsALostPortThatComesBackWithItsServerEachTime) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
    far.Send(std::string(3000, 'x'));
    ASSERT_EQ(receive(port, 3000).size(), 3000u);
    server.Kill();
    const auto killed = std::chrono::steady_clock::now();
    EXPECT_TRUE(lost(port));
    EXPECT_LT(std::chrono::steady_clock::now() - killed, 1s);
    CloseHandle(port);
    port = INVALID_HANDLE_VALUE;

    // Until the server is back, an open fails at once with the cause.
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(openPort(41), INVALID_HANDLE_VALUE);
    const DWORD cause = GetLastError();
    EXPECT_TRUE(cause == ERROR_CONNECTION_REFUSED || cause == ERROR_NETNAME_DELETED) << cause;
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 200ms);

    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(WaitUntil([&] { return (port = openPort(41)) != INVALID_HANDLE_VALUE; })) << GetLastError();
    ASSERT_TRUE(setLine(port, 115200, 8, NOPARITY, ONESTOPBIT));
    send(port, "again");
    EXPECT_EQ(far.Receive(5), "again");
  }
}

}  // namespace
