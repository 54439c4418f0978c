// BuildCommDCBA: the texts it takes and the ones it refuses.
#include <gtest/gtest.h>

#include <cstring>

#include <windows.h>

namespace {

struct Accepted {
  const char* text;
  DWORD baud;
  BYTE parity;
  BYTE dataBits;
  BYTE stopBits;
};

DCB filledDcb() {
  DCB dcb;
  std::memset(&dcb, 0xA5, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  return dcb;
}

TEST(BuildCommDCBA, AcceptsBothFormsAndSetsTheFourSettings) {
  const Accepted cases[] = {
      {"9600,N,8,1", 9600, NOPARITY, 8, ONESTOPBIT},
      {"115200,e,7,2", 115200, EVENPARITY, 7, TWOSTOPBITS},
      {"250000,O,6,1", 250000, ODDPARITY, 6, ONESTOPBIT},
      {"300,m,5,1.5", 300, MARKPARITY, 5, ONE5STOPBITS},
      {"1,S,8,2", 1, SPACEPARITY, 8, TWOSTOPBITS},
      {" 4800 , n , 8 , 1 ", 4800, NOPARITY, 8, ONESTOPBIT},
      {"4294967295,N,8,1", 4294967295u, NOPARITY, 8, ONESTOPBIT},
      {"baud=19200 parity=E data=7 stop=1", 19200, EVENPARITY, 7, ONESTOPBIT},
      {"STOP=2 Data=8 PARITY=o BAUD=57600", 57600, ODDPARITY, 8, TWOSTOPBITS},
  };
  for (const Accepted& expected : cases) {
    DCB dcb = filledDcb();
    dcb.fOutX = 1;
    dcb.fOutxCtsFlow = 1;
    ASSERT_TRUE(BuildCommDCBA(expected.text, &dcb)) << expected.text;
    EXPECT_EQ(dcb.BaudRate, expected.baud) << expected.text;
    EXPECT_EQ(dcb.Parity, expected.parity) << expected.text;
    EXPECT_EQ(dcb.ByteSize, expected.dataBits) << expected.text;
    EXPECT_EQ(dcb.StopBits, expected.stopBits) << expected.text;
    // Flow control is turned off, as Windows does.
    EXPECT_EQ(dcb.fOutX, 0u) << expected.text;
    EXPECT_EQ(dcb.fInX, 0u) << expected.text;
    EXPECT_EQ(dcb.fOutxCtsFlow, 0u) << expected.text;
    EXPECT_EQ(dcb.fOutxDsrFlow, 0u) << expected.text;
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE)) << expected.text;
    EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_ENABLE)) << expected.text;
  }
}

TEST(BuildCommDCBA, KeyedFormChangesOnlyTheKeysGiven) {
  DCB dcb = filledDcb();
  dcb.BaudRate = 1200;
  dcb.Parity = EVENPARITY;
  dcb.ByteSize = 7;
  dcb.StopBits = TWOSTOPBITS;
  ASSERT_TRUE(BuildCommDCBA("baud=38400", &dcb));
  EXPECT_EQ(dcb.BaudRate, 38400u);
  EXPECT_EQ(dcb.Parity, EVENPARITY);
  EXPECT_EQ(dcb.ByteSize, 7);
  EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);
}

TEST(BuildCommDCBA, RefusesEverythingElseAndLeavesTheDcbAsItWas) {
  const char* refused[] = {
      "",
      " ",
      "9600",
      "9600,N,8",
      "9600,N,8,1,",
      "9600,N,8,1,1",
      "0,N,8,1",
      "-9600,N,8,1",
      "+9600,N,8,1",
      "96OO,N,8,1",
      "4294967296,N,8,1",
      "9600,X,8,1",
      "9600,NN,8,1",
      "9600,,8,1",
      "9600,N,4,1",
      "9600,N,9,1",
      "9600,N,8,3",
      "9600,N,8,1.0",
      "9600,N,8,0",
      "9600;N;8;1",
      "9600 N 8 1",
      "baud=",
      "baud=9600 baud=4800",
      "speed=9600",
      "baud=9600 parity=N data=8 stop=1 xon=on",
      "baud = 9600",
      "baud=9600,parity=N",
      "=9600",
      "9600,N,8,1\n2",
  };
  for (const char* text : refused) {
    DCB dcb = filledDcb();
    const DCB before = dcb;
    SetLastError(0);
    EXPECT_FALSE(BuildCommDCBA(text, &dcb)) << '"' << text << '"';
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << text;
    EXPECT_EQ(std::memcmp(&dcb, &before, sizeof dcb), 0) << '"' << text << '"';
  }
  DCB dcb = filledDcb();
  EXPECT_FALSE(BuildCommDCBA(nullptr, &dcb));
  EXPECT_FALSE(BuildCommDCBA("9600,N,8,1", nullptr));
}

}  // namespace
