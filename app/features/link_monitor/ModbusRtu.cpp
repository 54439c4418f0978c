// Modbus RTU frames described, requests paired with their responses.
#include "ModbusRtu.h"

#include <cstdio>

#include "Checksums.h"

namespace {

constexpr size_t kShortest = 4;  // address, function, CRC

WORD Word(const std::string& Bytes, size_t At) {
  return static_cast<WORD>((static_cast<BYTE>(Bytes[At]) << 8) | static_cast<BYTE>(Bytes[At + 1]));
}

BYTE Byte(const std::string& Bytes, size_t At) { return static_cast<BYTE>(Bytes[At]); }

std::string Format(const char* Pattern, unsigned A, unsigned B = 0, unsigned C = 0) {
  char text[128];
  std::snprintf(text, sizeof text, Pattern, A, B, C);
  return text;
}

bool IsRead(BYTE Function) { return Function >= 1 && Function <= 4; }
bool IsWriteMany(BYTE Function) { return Function == 15 || Function == 16; }
bool IsWriteOne(BYTE Function) { return Function == 5 || Function == 6; }

// The length a request of the function has; 0 when it does not fit one.
size_t RequestLength(const std::string& Bytes) {
  const BYTE function = Byte(Bytes, 1);
  if (IsRead(function) || IsWriteOne(function)) return 8;
  if (IsWriteMany(function) && Bytes.size() >= 9) return 9 + Byte(Bytes, 6);
  return 0;
}

// The length a response of the function has; 0 when it does not fit one.
size_t ResponseLength(const std::string& Bytes) {
  const BYTE function = Byte(Bytes, 1);
  if (function & 0x80) return 5;
  if (IsRead(function) && Bytes.size() >= 3) return 5 + Byte(Bytes, 2);
  if (IsWriteOne(function) || IsWriteMany(function)) return 8;
  return 0;
}

std::string WriteOneText(BYTE Function, const std::string& Bytes) {
  if (Function == 5) {
    const WORD value = Word(Bytes, 4);
    const char* state = value == 0xFF00 ? "通" : value == 0 ? "断" : "无效值";
    return Format("线圈 %u = ", Word(Bytes, 2)) + state;
  }
  return Format("寄存器 %u = %u (0x%04X)", Word(Bytes, 2), Word(Bytes, 4), Word(Bytes, 4));
}

std::string RequestText(const std::string& Bytes) {
  const BYTE function = Byte(Bytes, 1);
  if (IsRead(function)) return Format("请求: 起始 %u, 数量 %u", Word(Bytes, 2), Word(Bytes, 4));
  if (IsWriteOne(function)) return "请求: " + WriteOneText(function, Bytes);
  std::string text = Format("请求: 起始 %u, 数量 %u, %u 字节:", Word(Bytes, 2), Word(Bytes, 4), Byte(Bytes, 6));
  for (size_t at = 7; at + 2 < Bytes.size(); at += function == 16 ? 2 : 1)
    text +=
        function == 16 && at + 3 < Bytes.size() ? Format(" %04X", Word(Bytes, at)) : Format(" %02X", Byte(Bytes, at));
  return text;
}

std::string ReadResponseText(BYTE Function, const std::string& Bytes, WORD Start) {
  const size_t count = Byte(Bytes, 2);
  std::string text = Format("响应: %u 字节", static_cast<unsigned>(count));
  if (Function >= 3) {
    text += ", 寄存器";
    for (size_t index = 0; 3 + index * 2 + 1 < 3 + count; ++index)
      text += Format(" %u=%u", Start + static_cast<unsigned>(index), Word(Bytes, 3 + index * 2));
    return text;
  }
  text += Function == 1 ? ", 线圈 " : ", 输入 ";
  text += Format("%u 起:", Start);
  for (size_t bit = 0; bit < count * 8; ++bit) {
    if (bit % 8 == 0) text += ' ';
    text += (Byte(Bytes, 3 + bit / 8) >> (bit % 8)) & 1 ? '1' : '0';
  }
  return text;
}

std::string ResponseText(const std::string& Bytes, WORD Start) {
  const BYTE function = Byte(Bytes, 1);
  if (function & 0x80) return Format("异常响应: 代码 %u ", Byte(Bytes, 2)) + ModbusExceptionText(Byte(Bytes, 2));
  if (IsRead(function)) return ReadResponseText(function, Bytes, Start);
  if (IsWriteOne(function)) return "响应: " + WriteOneText(function, Bytes);
  return Format("响应: 起始 %u, 数量 %u 已写", Word(Bytes, 2), Word(Bytes, 4));
}

}  // namespace

bool ModbusCrcGood(const std::string& Frame) {
  if (Frame.size() < kShortest) return false;
  const size_t body = Frame.size() - 2;
  const std::uint32_t crc = ChecksumValue(Checksum::Modbus, reinterpret_cast<const std::uint8_t*>(Frame.data()), body);
  return Byte(Frame, body) == (crc & 0xFF) && Byte(Frame, body + 1) == (crc >> 8);
}

const char* ModbusExceptionText(BYTE Code) {
  switch (Code) {
    case 1:
      return "非法功能";
    case 2:
      return "非法数据地址";
    case 3:
      return "非法数据值";
    case 4:
      return "从站设备故障";
    case 5:
      return "确认";
    case 6:
      return "从站设备忙";
    case 8:
      return "存储奇偶性差错";
    case 10:
      return "不可用网关路径";
    case 11:
      return "网关目标设备响应失败";
    default:
      return "未知异常";
  }
}

const char* ModbusFunctionText(BYTE Function) {
  switch (Function & 0x7F) {
    case 1:
      return "读线圈";
    case 2:
      return "读离散输入";
    case 3:
      return "读保持寄存器";
    case 4:
      return "读输入寄存器";
    case 5:
      return "写单个线圈";
    case 6:
      return "写单个寄存器";
    case 15:
      return "写多个线圈";
    case 16:
      return "写多个寄存器";
    default:
      return "";
  }
}

bool ModbusDecoder::AnswersWaiting(const LinkFrame& Frame) const {
  if (!Waiting || Waiting->Source == Frame.Port * 2 + (Frame.Sent ? 1 : 0)) return false;
  const BYTE function = Byte(Frame.Bytes, 1);
  return Byte(Frame.Bytes, 0) == Waiting->Address && (function & 0x7F) == Waiting->Function &&
         ResponseLength(Frame.Bytes) == Frame.Bytes.size();
}

ModbusRow ModbusDecoder::Decode(const LinkFrame& Frame) {
  ModbusRow row;
  const std::string& bytes = Frame.Bytes;
  if (bytes.size() < kShortest) {
    row.Bad = true;
    row.Text = Format("短帧: %u 字节, 不是完整的 Modbus 帧", static_cast<unsigned>(bytes.size()));
    return row;
  }
  const BYTE function = Byte(bytes, 1);
  row.Text = Format("从站 %u  功能 %u ", Byte(bytes, 0), function);
  row.Text += ModbusFunctionText(function);
  row.Text += "  ";
  if (AnswersWaiting(Frame)) {
    row.Response = true;
    row.ResponseTime = Frame.Start >= Waiting->End ? Frame.Start - Waiting->End : 0;
    row.Text += ResponseText(bytes, Waiting->Start);
    Waiting.reset();
  } else if (RequestLength(bytes) == bytes.size() && !(function & 0x80)) {
    row.Text += RequestText(bytes);
    Waiting = Request{
        Frame.Port * 2 + (Frame.Sent ? 1 : 0), Byte(bytes, 0), function, Word(bytes, 2), Word(bytes, 4), Frame.End};
  } else if (ResponseLength(bytes) == bytes.size()) {
    row.Response = true;
    row.Text += ResponseText(bytes, 0) + "  (无对应请求)";
  } else {
    row.Bad = true;
    row.Text += Format("长度 %u 字节不符合此功能", static_cast<unsigned>(bytes.size()));
  }
  if (ModbusCrcGood(bytes)) {
    row.Text += "  CRC 正确";
  } else {
    row.Bad = true;
    row.Text += Format("  CRC 错误 (收到 %02X%02X)", Byte(bytes, bytes.size() - 2), Byte(bytes, bytes.size() - 1));
  }
  return row;
}
