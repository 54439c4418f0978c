// Line settings: the DCB to termios mapping field by field, and what a
// pseudo-terminal keeps of it.
#include <gtest/gtest.h>

#include <termios.h>
#include <unistd.h>

#include <cstring>

#include "comm_line_settings.h"
#include "port_calls.h"
#include "shared_ports_folder.h"

namespace {
using platform::readDcbFromTermios;
using platform::termiosForDcb;

DCB lineDcb(DWORD baud, BYTE dataBits, BYTE parity, BYTE stopBits) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = baud;
  dcb.ByteSize = dataBits;
  dcb.Parity = parity;
  dcb.StopBits = stopBits;
  dcb.fBinary = 1;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  return dcb;
}

// A terminal record as a fresh device has it: cooked, echoing, 38400.
termios cookedTerminal() {
  termios settings{};
  settings.c_iflag = ICRNL | IXON | BRKINT | ISTRIP;
  settings.c_oflag = OPOST | ONLCR;
  settings.c_cflag = CS7 | PARENB | CREAD;
  settings.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
  cfsetispeed(&settings, B38400);
  cfsetospeed(&settings, B38400);
  return settings;
}

TEST(TermiosForDcb, DataBitsParityAndStopBits) {
  struct Case {
    BYTE dataBits, parity, stopBits;
    tcflag_t size, parityFlags;
    bool stopFlag;
  };
  const Case cases[] = {
      {8, NOPARITY, ONESTOPBIT, CS8, 0, false},
      {7, EVENPARITY, ONESTOPBIT, CS7, PARENB, false},
      {7, ODDPARITY, TWOSTOPBITS, CS7, PARENB | PARODD, true},
      {6, MARKPARITY, TWOSTOPBITS, CS6, PARENB | PARODD | CMSPAR, true},
      {8, SPACEPARITY, ONESTOPBIT, CS8, PARENB | CMSPAR, false},
      {5, NOPARITY, ONE5STOPBITS, CS5, 0, true},
  };
  for (const Case& c : cases) {
    const termios t = termiosForDcb(lineDcb(9600, c.dataBits, c.parity, c.stopBits), cookedTerminal());
    EXPECT_EQ(t.c_cflag & CSIZE, c.size) << int(c.dataBits);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags) << int(c.parity);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.stopFlag) << int(c.stopBits);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
  }
}

TEST(TermiosForDcb, RawInputAndOutputWithReadsThatNeedOneByte) {
  const termios t = termiosForDcb(lineDcb(9600, 8, NOPARITY, ONESTOPBIT), cookedTerminal());
  EXPECT_EQ(t.c_iflag & (ICRNL | IXON | BRKINT | ISTRIP | INPCK), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(t.c_cc[VMIN], 1);
  EXPECT_EQ(t.c_cc[VTIME], 0);
}

TEST(TermiosForDcb, SpeedIsSetForStandardRatesAndKeptForOthers) {
  termios t = termiosForDcb(lineDcb(115200, 8, NOPARITY, ONESTOPBIT), cookedTerminal());
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
  EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B115200));
  t = termiosForDcb(lineDcb(250000, 8, NOPARITY, ONESTOPBIT), cookedTerminal());
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B38400));  // set through the arbitrary-rate call
  EXPECT_EQ(platform::standardSpeedCode(250000), 0u);
  EXPECT_EQ(platform::rateOfSpeedCode(B9600), 9600u);
}

TEST(TermiosForDcb, FlowControlAndParityChecking) {
  DCB dcb = lineDcb(9600, 8, EVENPARITY, ONESTOPBIT);
  dcb.fParity = 1;
  dcb.fOutX = 1;
  dcb.fInX = 1;
  dcb.XonChar = 0x21;
  dcb.XoffChar = 0x22;
  dcb.fOutxCtsFlow = 1;
  termios t = termiosForDcb(dcb, cookedTerminal());
  EXPECT_TRUE(t.c_iflag & INPCK);
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_TRUE(t.c_iflag & IXOFF);
  EXPECT_EQ(t.c_cc[VSTART], 0x21);
  EXPECT_EQ(t.c_cc[VSTOP], 0x22);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);

  dcb = lineDcb(9600, 8, NOPARITY, ONESTOPBIT);
  dcb.fParity = 1;  // nothing to check without parity
  dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
  t = termiosForDcb(dcb, cookedTerminal());
  EXPECT_FALSE(t.c_iflag & INPCK);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
}

TEST(ReadDcbFromTermios, EveryValidLineSettingReadsBackAsItWasSet) {
  for (BYTE dataBits = 5; dataBits <= 8; ++dataBits) {
    for (BYTE parity = NOPARITY; parity <= SPACEPARITY; ++parity) {
      for (BYTE stopBits = ONESTOPBIT; stopBits <= TWOSTOPBITS; ++stopBits) {
        const DCB set = lineDcb(57600, dataBits, parity, stopBits);
        if (!platform::isValidLineSetting(set)) continue;
        DCB read{};
        readDcbFromTermios(termiosForDcb(set, cookedTerminal()), 57600, read);
        EXPECT_EQ(read.ByteSize, dataBits);
        EXPECT_EQ(read.Parity, parity) << int(dataBits) << int(parity) << int(stopBits);
        EXPECT_EQ(read.StopBits, stopBits) << int(dataBits) << int(parity) << int(stopBits);
        EXPECT_EQ(read.BaudRate, 57600u);
      }
    }
  }
}

TEST(IsValidLineSetting, RefusesWhatNoLineCanDo) {
  EXPECT_TRUE(platform::isValidLineSetting(lineDcb(9600, 8, NOPARITY, ONESTOPBIT)));
  EXPECT_FALSE(platform::isValidLineSetting(lineDcb(0, 8, NOPARITY, ONESTOPBIT)));
  EXPECT_FALSE(platform::isValidLineSetting(lineDcb(9600, 4, NOPARITY, ONESTOPBIT)));
  EXPECT_FALSE(platform::isValidLineSetting(lineDcb(9600, 9, NOPARITY, ONESTOPBIT)));
  EXPECT_FALSE(platform::isValidLineSetting(lineDcb(9600, 8, 5, ONESTOPBIT)));
  EXPECT_FALSE(platform::isValidLineSetting(lineDcb(9600, 8, NOPARITY, 3)));
  EXPECT_FALSE(platform::isValidLineSetting(lineDcb(9600, 8, NOPARITY, ONE5STOPBITS)));
  EXPECT_FALSE(platform::isValidLineSetting(lineDcb(9600, 5, NOPARITY, TWOSTOPBITS)));
}

class PortLineSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    port = serial_test::openPort(6);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
  }
  void TearDown() override { CloseHandle(port); }
  termios deviceSettings() {
    termios settings{};
    EXPECT_EQ(::tcgetattr(far.Master(), &settings), 0);
    return settings;
  }
  serial_test::FarEnd far{6};
  HANDLE port = INVALID_HANDLE_VALUE;
};

TEST_F(PortLineSettings, APseudoTerminalKeepsSpeedStopBitsAndMarkOrSpace) {
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  EXPECT_EQ(dcb.DCBlength, sizeof(DCB));
  ASSERT_TRUE(BuildCommDCBA("250000,M,7,2", &dcb));
  ASSERT_TRUE(SetCommState(port, &dcb));
  DCB read{};
  ASSERT_TRUE(GetCommState(port, &read));
  EXPECT_EQ(read.BaudRate, 250000u);
  EXPECT_EQ(read.StopBits, TWOSTOPBITS);
  // Pseudo-terminals force 8 data bits and no parity, and say so.
  EXPECT_EQ(read.ByteSize, 8);
  EXPECT_EQ(read.Parity, NOPARITY);
  const termios device = deviceSettings();
  EXPECT_TRUE(device.c_cflag & CSTOPB);
  EXPECT_TRUE(device.c_cflag & CMSPAR);

  ASSERT_TRUE(BuildCommDCBA("115200,N,8,1", &dcb));
  ASSERT_TRUE(SetCommState(port, &dcb));
  ASSERT_TRUE(GetCommState(port, &read));
  EXPECT_EQ(read.BaudRate, 115200u);
  EXPECT_EQ(read.StopBits, ONESTOPBIT);
  const termios after = deviceSettings();
  EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B115200));
  EXPECT_FALSE(after.c_cflag & CSTOPB);
}

TEST_F(PortLineSettings, RefusedSettingsChangeNothing) {
  DCB dcb{};
  ASSERT_TRUE(GetCommState(port, &dcb));
  ASSERT_TRUE(BuildCommDCBA("19200,N,8,1", &dcb));
  ASSERT_TRUE(SetCommState(port, &dcb));
  DCB bad = dcb;
  bad.ByteSize = 9;
  bad.BaudRate = 300;
  SetLastError(0);
  EXPECT_FALSE(SetCommState(port, &bad));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  DCB read{};
  ASSERT_TRUE(GetCommState(port, &read));
  EXPECT_EQ(read.BaudRate, 19200u);
}

TEST_F(PortLineSettings, QueueSizesAndTimeOutsAreKept) {
  EXPECT_TRUE(SetupComm(port, 4096, 4096));
  EXPECT_TRUE(SetupComm(port, 0, 0));  // the input queue stays at least 4096
  SetLastError(0);
  EXPECT_FALSE(SetupComm(port, 0xFFFFFFFF, 4096));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  COMMTIMEOUTS set{0, 1, 1000, 1, 1000};
  ASSERT_TRUE(SetCommTimeouts(port, &set));
  COMMTIMEOUTS read{};
  ASSERT_TRUE(GetCommTimeouts(port, &read));
  EXPECT_EQ(std::memcmp(&set, &read, sizeof set), 0);
  // A pseudo-terminal has no modem lines.
  DWORD lines = 0;
  EXPECT_FALSE(GetCommModemStatus(port, &lines));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

}  // namespace
