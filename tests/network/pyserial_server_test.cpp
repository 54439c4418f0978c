// A network port on pyserial's RFC 2217 server (serial.rfc2217.PortManager)
// over a loopback line whose settings, DTR, RTS and breaks the server prints
// as the line takes them: what a pseudo-terminal cannot show.
#include "network_test.h"

namespace {
using namespace network_test;

class PyserialPort : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT(server);
    ASSERT_TRUE(defined.Defined());
    port = openPort(42);
    ASSERT_NE(port, INVALID_HANDLE_VALUE) << GetLastError();
    ASSERT_TRUE(setLine(port, 19200, 8, NOPARITY, ONESTOPBIT));
  }
  void TearDown() override {
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  }
  // Waits for a wait's event; 0 when none came.
  DWORD nextEvent() {
    serial_test::EventWait wait;
    if (wait.start(port)) return wait.value;
    if (wait.lastError != ERROR_IO_PENDING) return 0;
    if (!wait.finished()) {
      SetCommMask(port, 0);
      wait.finished();
      return 0;
    }
    return wait.value;
  }

  serial_lines::PyserialServer server;
  DefinedPort defined{42, server.Address()};
  HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(PyserialPort, SettingsDtrRtsAndBreaksArriveAtTheServersLine) {
  // Each command changes the line on its own: the line passes through
  // the steps to the settings asked for.
  EXPECT_TRUE(server.Told("SETTINGS 19200 8 N 1 0 0"));
  ASSERT_TRUE(setLine(port, 57600, 7, MARKPARITY, TWOSTOPBITS));
  EXPECT_TRUE(server.Told("SETTINGS 57600 7 M 2 0 0"));
  ASSERT_TRUE(EscapeCommFunction(port, CLRDTR));
  EXPECT_TRUE(server.Told("DTR 0"));
  ASSERT_TRUE(EscapeCommFunction(port, CLRRTS));
  EXPECT_TRUE(server.Told("RTS 0"));
  ASSERT_TRUE(EscapeCommFunction(port, SETBREAK));
  EXPECT_TRUE(server.Told("BREAK 1"));
  ASSERT_TRUE(EscapeCommFunction(port, CLRBREAK));
  EXPECT_TRUE(server.Told("BREAK 0"));
  // Everything was answered.
  EXPECT_TRUE(WaitUntil([&] { return properties(port).dwProvSpec1 == 0; }, 2s));
}

TEST_F(PyserialPort, ARateTheLineRefusesFailsAsOnALocalPortAndTheEarlierSettingsStay) {
  EXPECT_FALSE(setLine(port, 12345, 8, NOPARITY, ONESTOPBIT));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_PARAMETER});
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.BaudRate, 19200u);
  // The refusal is not left standing: the next settings go through whole.
  ASSERT_TRUE(setLine(port, 38400, 8, EVENPARITY, ONESTOPBIT));
  EXPECT_TRUE(server.Told("SETTINGS 38400 8 E 1"));
}

TEST_F(PyserialPort, CarriesEveryByteValueThroughItsLoop) {
  const std::string bytes = everyByte();
  send(port, bytes);
  EXPECT_EQ(receive(port, bytes.size()), bytes);
}

TEST_F(PyserialPort, ModemAndLineStateNotificationsAreTheLineEventsAndErrorsOfALocalPort) {
  ASSERT_TRUE(SetCommMask(port, EV_CTS | EV_DSR | EV_RING | EV_RLSD | EV_ERR | EV_BREAK));
  ASSERT_TRUE(server.Command("CTS 1"));
  EXPECT_EQ(nextEvent(), DWORD{EV_CTS});
  DWORD status = 0;
  ASSERT_TRUE(GetCommModemStatus(port, &status));
  EXPECT_EQ(status, DWORD{MS_CTS_ON});
  ASSERT_TRUE(server.Command("CD 1"));
  EXPECT_EQ(nextEvent(), DWORD{EV_RLSD});
  ASSERT_TRUE(server.Command("RI 1"));
  EXPECT_EQ(nextEvent(), DWORD{EV_RING});
  ASSERT_TRUE(GetCommModemStatus(port, &status));
  EXPECT_EQ(status, DWORD{MS_CTS_ON | MS_RLSD_ON | MS_RING_ON});

  ASSERT_TRUE(server.Command("LINESTATE 4"));  // a parity error
  EXPECT_EQ(nextEvent(), DWORD{EV_ERR});
  DWORD errors = 0;
  ASSERT_TRUE(ClearCommError(port, &errors, nullptr));
  EXPECT_EQ(errors, DWORD{CE_RXPARITY});
  ASSERT_TRUE(server.Command("LINESTATE 16"));  // a break
  EXPECT_EQ(nextEvent(), DWORD{EV_BREAK});
}

TEST_F(PyserialPort, FlowControlSuspendHoldsOutputUntilResume) {
  ASSERT_TRUE(server.Command("SUSPEND"));
  send(port, "held");
  EXPECT_EQ(receive(port, 4, 300ms), "");
  ASSERT_TRUE(server.Command("RESUME"));
  EXPECT_EQ(receive(port, 4), "held");
}

}  // namespace
