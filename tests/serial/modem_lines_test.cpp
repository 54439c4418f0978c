// Modem lines: DTR and RTS from the settings and by hand, the input lines
// and their events, breaks and the functions a port refuses. A
// pseudo-terminal has no modem lines, so most cases run on lines the test
// gives the port.
#include <gtest/gtest.h>

#include <kestrix/platform_testing.h>

#include "port_calls.h"
#include "shared_ports_folder.h"

namespace {
using namespace serial_test;

class ModemLines : public ::testing::Test {
 protected:
  void SetUp() override {
    port = openPort(6);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
  }
  void TearDown() override {
    if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  }
  // DTR and RTS as the port drives them, as "DTR RTS" with 1 for high.
  std::string controlLines() {
    BOOL dtr = FALSE, rts = FALSE;
    if (!GetControlLinesForTesting(port, &dtr, &rts)) return "unknown";
    return std::string(dtr ? "1" : "0") + " " + (rts ? "1" : "0");
  }
  DWORD nextEvent() {
    if (wait.start(port)) return wait.value;
    if (wait.lastError != ERROR_IO_PENDING || !wait.finished()) return 0xDEAD;
    return wait.value;
  }

  FarEnd far{6};
  HANDLE port = INVALID_HANDLE_VALUE;
  EventWait wait;
};

TEST_F(ModemLines, APseudoTerminalRefusesDtrAndRtsButTakesABreak) {
  for (DWORD function : {SETDTR, CLRDTR, SETRTS, CLRRTS}) {
    SetLastError(0);
    EXPECT_FALSE(EscapeCommFunction(port, function)) << function;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED)) << function;
  }
  EXPECT_TRUE(EscapeCommFunction(port, SETBREAK));
  EXPECT_TRUE(EscapeCommFunction(port, CLRBREAK));
  SetLastError(0);
  EXPECT_FALSE(EscapeCommFunction(port, 7));  // no such function here
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // The port still carries bytes afterwards.
  far.Send("ok");
  EXPECT_TRUE(WaitUntil([&] { return QueuedInput(port) == 2; }));
}

TEST_F(ModemLines, SettingsAndEscapesDriveDtrAndRts) {
  ASSERT_TRUE(SetModemLinesForTesting(port, 0));
  EXPECT_EQ(controlLines(), "1 1");  // a port starts with both raised

  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  ASSERT_TRUE(SetCommState(port, &dcb));
  EXPECT_EQ(controlLines(), "0 1");
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  ASSERT_TRUE(SetCommState(port, &dcb));
  EXPECT_EQ(controlLines(), "1 0");

  ASSERT_TRUE(EscapeCommFunction(port, CLRDTR));
  EXPECT_EQ(controlLines(), "0 0");
  ASSERT_TRUE(EscapeCommFunction(port, SETRTS));
  EXPECT_EQ(controlLines(), "0 1");
  ASSERT_TRUE(EscapeCommFunction(port, SETDTR));
  ASSERT_TRUE(EscapeCommFunction(port, CLRRTS));
  EXPECT_EQ(controlLines(), "1 0");
}

TEST_F(ModemLines, InputLinesAreReportedAndTheirChangesRaiseEvents) {
  ASSERT_TRUE(SetCommMask(port, EV_CTS | EV_DSR | EV_RLSD | EV_RING));
  ASSERT_TRUE(SetModemLinesForTesting(port, 0));
  DWORD status = 0xFF;
  ASSERT_TRUE(GetCommModemStatus(port, &status));
  EXPECT_EQ(status, 0u);

  ASSERT_TRUE(SetModemLinesForTesting(port, MS_CTS_ON | MS_RLSD_ON));
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_CTS));
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_RLSD));
  ASSERT_TRUE(GetCommModemStatus(port, &status));
  EXPECT_EQ(status, static_cast<DWORD>(MS_CTS_ON | MS_RLSD_ON));

  // Ring is reported when it starts, not when it ends.
  ASSERT_TRUE(SetModemLinesForTesting(port, MS_CTS_ON | MS_RLSD_ON | MS_RING_ON | MS_DSR_ON));
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_DSR));
  EXPECT_EQ(nextEvent(), static_cast<DWORD>(EV_RING));
  ASSERT_TRUE(SetModemLinesForTesting(port, MS_CTS_ON | MS_RLSD_ON | MS_DSR_ON));
  ASSERT_TRUE(GetCommModemStatus(port, &status));
  EXPECT_EQ(status, static_cast<DWORD>(MS_CTS_ON | MS_RLSD_ON | MS_DSR_ON));
  ASSERT_FALSE(wait.start(port));
  EXPECT_FALSE(wait.finished(std::chrono::milliseconds(200)));
}

TEST_F(ModemLines, AClosedOrHungUpPortRefusesEscapes) {
  ASSERT_TRUE(SetModemLinesForTesting(port, 0));
  far.HangUp();
  ASSERT_TRUE(WaitUntil([&] {
    SetLastError(0);
    return !EscapeCommFunction(port, SETDTR) && GetLastError() == ERROR_DEVICE_REMOVED;
  }));
  CloseHandle(port);
  SetLastError(0);
  EXPECT_FALSE(EscapeCommFunction(port, SETDTR));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  port = INVALID_HANDLE_VALUE;
}

}  // namespace
