// Modbus RTU frames of the link put in words: requests and responses of each
// common function, exceptions, wrong CRCs and frames cut short, and the
// response time to the request.
#include "ModbusRtu.h"

#include <gtest/gtest.h>

#include <string>

#include "Checksums.h"
#include "FrameGap.h"

namespace {

constexpr ULONGLONG kMs = kIntervalsPerMs;
constexpr ULONGLONG kT0 = 134000000000000000ULL;

// A frame of the bytes (CRC appended) on port 0 (requests) or 1.
LinkFrame FrameOf(int port, const std::string& body, ULONGLONG start, ULONGLONG end = 0) {
  return LinkFrame{
      0, port, false, port == 0 ? "COM3" : "COM4", start, end ? end : start, WithChecksum(Checksum::Modbus, body)};
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

bool Has(const ModbusRow& row, const std::string& text) { return ModbusRowText(row).find(text) != std::string::npos; }

TEST(ModbusRtu, CrcOfAKnownFrameAndItsBreakage) {
  EXPECT_TRUE(ModbusCrcGood(Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x02, 0xC4, 0x0B})));
  EXPECT_FALSE(ModbusCrcGood(Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x02, 0x0B, 0xC4}))) << "high byte first is wrong";
  EXPECT_FALSE(ModbusCrcGood(Bytes({0x01, 0x03, 0x00})));
}

TEST(ModbusRtu, ReadHoldingRegistersRequestAndResponseWithItsResponseTime) {
  ModbusDecoder decoder;
  const ModbusRow request = decoder.Decode(FrameOf(0, Bytes({0x11, 0x03, 0x00, 0x6B, 0x00, 0x02}), kT0, kT0 + 7));
  EXPECT_FALSE(request.Bad);
  EXPECT_FALSE(request.Response);
  EXPECT_TRUE(Has(request, "从站 17")) << ModbusRowText(request);
  EXPECT_TRUE(Has(request, "读保持寄存器"));
  EXPECT_TRUE(Has(request, "请求: 起始 107, 数量 2"));
  EXPECT_TRUE(Has(request, "CRC 正确"));

  const ModbusRow response =
      decoder.Decode(FrameOf(1, Bytes({0x11, 0x03, 0x04, 0x02, 0x2B, 0x00, 0x64}), kT0 + 7 + 4 * kMs + 250));
  EXPECT_FALSE(response.Bad) << ModbusRowText(response);
  EXPECT_TRUE(response.Response);
  EXPECT_TRUE(Has(response, "响应: 4 字节, 寄存器 107=555 108=100")) << ModbusRowText(response);
  ASSERT_TRUE(response.ResponseTime.has_value());
  EXPECT_EQ(*response.ResponseTime, 4 * kMs + 250) << "from the request's last byte to the response's first";

  // The same bytes again have no request waiting: a request of their own.
  const ModbusRow again = decoder.Decode(FrameOf(1, Bytes({0x11, 0x03, 0x04, 0x02, 0x2B, 0x00, 0x64}), kT0));
  EXPECT_FALSE(again.ResponseTime.has_value());
}

TEST(ModbusRtu, EachReadFunctionsRequestAndResponse) {
  ModbusDecoder decoder;
  (void)decoder.Decode(FrameOf(0, Bytes({0x01, 0x01, 0x00, 0x13, 0x00, 0x0A}), kT0));
  ModbusRow row = decoder.Decode(FrameOf(1, Bytes({0x01, 0x01, 0x02, 0xCD, 0x01}), kT0 + kMs));
  EXPECT_TRUE(Has(row, "读线圈")) << ModbusRowText(row);
  EXPECT_TRUE(Has(row, "线圈 19 起: 10110011 10000000")) << ModbusRowText(row);

  row = decoder.Decode(FrameOf(0, Bytes({0x01, 0x02, 0x00, 0xC4, 0x00, 0x16}), kT0));
  EXPECT_TRUE(Has(row, "读离散输入")) << ModbusRowText(row);
  row = decoder.Decode(FrameOf(1, Bytes({0x01, 0x02, 0x01, 0x35}), kT0 + kMs));
  EXPECT_TRUE(Has(row, "输入 196 起: 10101100")) << ModbusRowText(row);

  row = decoder.Decode(FrameOf(0, Bytes({0x01, 0x04, 0x00, 0x08, 0x00, 0x01}), kT0));
  EXPECT_TRUE(Has(row, "读输入寄存器  请求: 起始 8, 数量 1")) << ModbusRowText(row);
  row = decoder.Decode(FrameOf(1, Bytes({0x01, 0x04, 0x02, 0x00, 0x0A}), kT0 + kMs));
  EXPECT_TRUE(Has(row, "寄存器 8=10")) << ModbusRowText(row);
}

TEST(ModbusRtu, EachWriteFunctionsRequestAndResponse) {
  ModbusDecoder decoder;
  // A single write's response repeats its request: the pairing tells them
  // apart.
  const std::string coilOn = Bytes({0x01, 0x05, 0x00, 0xAC, 0xFF, 0x00});
  ModbusRow row = decoder.Decode(FrameOf(0, coilOn, kT0));
  EXPECT_TRUE(Has(row, "写单个线圈  请求: 线圈 172 = 通")) << ModbusRowText(row);
  row = decoder.Decode(FrameOf(1, coilOn, kT0 + kMs));
  EXPECT_TRUE(row.Response);
  EXPECT_TRUE(Has(row, "响应: 线圈 172 = 通")) << ModbusRowText(row);

  row = decoder.Decode(FrameOf(0, Bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03}), kT0));
  EXPECT_TRUE(Has(row, "写单个寄存器  请求: 寄存器 1 = 3 (0x0003)")) << ModbusRowText(row);
  row = decoder.Decode(FrameOf(1, Bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03}), kT0 + kMs));
  EXPECT_TRUE(row.Response);

  row = decoder.Decode(FrameOf(0, Bytes({0x01, 0x0F, 0x00, 0x13, 0x00, 0x0A, 0x02, 0xCD, 0x01}), kT0));
  EXPECT_TRUE(Has(row, "写多个线圈  请求: 起始 19, 数量 10, 2 字节: CD 01")) << ModbusRowText(row);
  row = decoder.Decode(FrameOf(1, Bytes({0x01, 0x0F, 0x00, 0x13, 0x00, 0x0A}), kT0 + kMs));
  EXPECT_TRUE(Has(row, "响应: 起始 19, 数量 10 已写")) << ModbusRowText(row);

  row = decoder.Decode(FrameOf(0, Bytes({0x01, 0x10, 0x00, 0x01, 0x00, 0x02, 0x04, 0x00, 0x0A, 0x01, 0x02}), kT0));
  EXPECT_TRUE(Has(row, "写多个寄存器  请求: 起始 1, 数量 2, 4 字节: 000A 0102")) << ModbusRowText(row);
  row = decoder.Decode(FrameOf(1, Bytes({0x01, 0x10, 0x00, 0x01, 0x00, 0x02}), kT0 + kMs));
  EXPECT_TRUE(row.Response);
  EXPECT_FALSE(row.Bad);
}

TEST(ModbusRtu, AnExceptionResponseNamesItsCode) {
  ModbusDecoder decoder;
  (void)decoder.Decode(FrameOf(0, Bytes({0x0A, 0x03, 0x10, 0x00, 0x00, 0x01}), kT0));
  const ModbusRow row = decoder.Decode(FrameOf(1, Bytes({0x0A, 0x83, 0x02}), kT0 + 3 * kMs));
  EXPECT_TRUE(row.Response);
  EXPECT_FALSE(row.Bad);
  EXPECT_TRUE(Has(row, "功能 131  读保持寄存器  异常响应: 代码 2  非法数据地址")) << ModbusRowText(row);
  EXPECT_EQ(row.ResponseTime.value_or(0), 3 * kMs);
}

TEST(ModbusRtu, AWrongCrcAndAFrameCutShortAreMarkedAndShown) {
  ModbusDecoder decoder;
  LinkFrame broken = FrameOf(0, Bytes({0x01, 0x03, 0x00, 0x00, 0x00, 0x02}), kT0);
  broken.Bytes.back() ^= 0x01;
  ModbusRow row = decoder.Decode(broken);
  EXPECT_TRUE(row.Bad);
  EXPECT_TRUE(Has(row, "CRC 错误 (收到 C40A)")) << ModbusRowText(row);
  EXPECT_TRUE(Has(row, "请求: 起始 0, 数量 2")) << "its fields are still shown";

  row = decoder.Decode(LinkFrame{0, 1, false, "COM4", kT0, kT0, Bytes({0x01, 0x03})});
  EXPECT_TRUE(row.Bad);
  EXPECT_TRUE(Has(row, "短帧: 2 字节")) << ModbusRowText(row);

  // A response cut after its byte count fits no length of its function.
  row = decoder.Decode(FrameOf(1, Bytes({0x01, 0x03, 0x04, 0x00, 0x0A}), kT0));
  EXPECT_TRUE(row.Bad);
  EXPECT_TRUE(Has(row, "长度 7 字节不符合此功能")) << ModbusRowText(row);
}

TEST(ModbusRtu, AResponseFromTheRequestsOwnPortIsNotItsAnswer) {
  ModbusDecoder decoder;
  (void)decoder.Decode(FrameOf(0, Bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03}), kT0));
  const ModbusRow row = decoder.Decode(FrameOf(0, Bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x03}), kT0 + kMs));
  EXPECT_FALSE(row.Response) << "a repeated request on the same line";
  EXPECT_FALSE(row.ResponseTime.has_value());
}

TEST(FrameGap, ThreeAndAHalfCharactersUpTo19200BaudThen1750Microseconds) {
  EXPECT_EQ(BitsPerCharacter(8, false, 1), 10);
  EXPECT_EQ(BitsPerCharacter(8, true, 2), 12);
  EXPECT_EQ(DefaultFrameGap(9600, 10), 36458u);   // 3.646 ms
  EXPECT_EQ(DefaultFrameGap(19200, 11), 20052u);  // 2.005 ms
  EXPECT_EQ(DefaultFrameGap(115200, 10), 17500u);
  EXPECT_EQ(DefaultFrameGap(0, 10), 17500u);
}

}  // namespace
