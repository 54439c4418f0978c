// What only the platform layer's devices show: a line error injected into
// the port, and the line settings as the pseudo-terminal holds them.
#include <kestrix/platform_testing.h>

#include <string>

#include "PortIoTest.h"
#include "RecordingPort.h"

namespace {

// Its own suite: the open tests' fixture is private to their file.
class PortSettingsTest : public SerialPortTest {};

TEST_F(PortIoTest, ALineErrorDiscardsTheInputQueueAndReadsNothing) {
  RecordingPort port;
  OpenUnwatched(port, 6);
  SendFromFarEnd(6, "garbled");
  ASSERT_TRUE(WaitUntil([&] { return QueuedInput(port._hComm) == 7; }));
  ASSERT_TRUE(InjectCommErrorsForTesting(port._hComm, CE_RXPARITY));
  char buffer[16];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
  EXPECT_EQ(QueuedInput(port._hComm), 0u);
  EXPECT_EQ(port._dwBytesRead, 0u);

  // Bytes that come after the error are read as usual.
  SendFromFarEnd(6, "clean");
  EXPECT_EQ(ReadPort(port, 5), "clean");
}

TEST_F(PortSettingsTest, LineSettingsReachTheDevice) {
  AddFarEnd(5);
  RecordingPort port;
  ASSERT_TRUE(port.Open(5, "9600,N,8,1"));
  termios settings = FarEndSettings(5);
  EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B9600));
  EXPECT_EQ(settings.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(settings.c_cflag & CMSPAR, 0u);

  ASSERT_TRUE(port.Open(5, "19200,M,7,2"));
  settings = FarEndSettings(5);
  EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));
  EXPECT_NE(settings.c_cflag & CSTOPB, 0u);
  EXPECT_NE(settings.c_cflag & CMSPAR, 0u);
  EXPECT_EQ(port._Dcb.BaudRate, 19200u);
  EXPECT_EQ(port._Dcb.ByteSize, 7);
  EXPECT_EQ(port._Dcb.Parity, MARKPARITY);
  EXPECT_EQ(port._Dcb.StopBits, TWOSTOPBITS);
}

}  // namespace
