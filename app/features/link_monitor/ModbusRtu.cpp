// Modbus RTU frames put in words, requests paired with their responses.
#include "ModbusRtu.h"

#include <cstdint>
#include <cstdio>

#include "Checksums.h"

// Texts are marked as the window's are (toolkit/translation.h's TR_MARK,
// which leaves a text as it stands), so that the catalogs hold them; this
// library has no toolkit, so the marker is defined here.
#ifndef TR_MARK
#define TR_MARK(Context, Source) Source
#endif

namespace {

constexpr size_t kShortest = 4;  // address, function, CRC

WORD Word(const std::string& Bytes, size_t At) {
  return static_cast<WORD>((static_cast<BYTE>(Bytes[At]) << 8) | static_cast<BYTE>(Bytes[At + 1]));
}

BYTE Byte(const std::string& Bytes, size_t At) { return static_cast<BYTE>(Bytes[At]); }

std::string Number(unsigned Value, const char* Format = "%u") {
  char text[16];
  std::snprintf(text, sizeof text, Format, Value);
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

ModbusPhrase WriteOnePhrase(bool Request, BYTE Function, const std::string& Bytes) {
  const std::string address = Number(Word(Bytes, 2));
  const WORD value = Word(Bytes, 4);
  if (Function == 6)
    return {
        Request ? TR_MARK("Modbus", "请求: 寄存器 %1 = %2 (0x%3)") : TR_MARK("Modbus", "响应: 寄存器 %1 = %2 (0x%3)"),
        {address, Number(value), Number(value, "%04X")}};
  if (value == 0xFF00)
    return {Request ? TR_MARK("Modbus", "请求: 线圈 %1 = 通") : TR_MARK("Modbus", "响应: 线圈 %1 = 通"), {address}};
  if (value == 0)
    return {Request ? TR_MARK("Modbus", "请求: 线圈 %1 = 断") : TR_MARK("Modbus", "响应: 线圈 %1 = 断"), {address}};
  return {Request ? TR_MARK("Modbus", "请求: 线圈 %1 = 无效值 %2") : TR_MARK("Modbus", "响应: 线圈 %1 = 无效值 %2"),
          {address, Number(value, "0x%04X")}};
}

ModbusPhrase RequestPhrase(const std::string& Bytes) {
  const BYTE function = Byte(Bytes, 1);
  const std::string start = Number(Word(Bytes, 2));
  const std::string quantity = Number(Word(Bytes, 4));
  if (IsRead(function)) return {TR_MARK("Modbus", "请求: 起始 %1, 数量 %2"), {start, quantity}};
  if (IsWriteOne(function)) return WriteOnePhrase(true, function, Bytes);
  std::string values;
  for (size_t at = 7; at + 2 < Bytes.size(); at += function == 16 ? 2 : 1)
    values +=
        function == 16 && at + 3 < Bytes.size() ? Number(Word(Bytes, at), " %04X") : Number(Byte(Bytes, at), " %02X");
  return {TR_MARK("Modbus", "请求: 起始 %1, 数量 %2, %3 字节:%4"), {start, quantity, Number(Byte(Bytes, 6)), values}};
}

ModbusPhrase ReadResponsePhrase(BYTE Function, const std::string& Bytes, WORD Start) {
  const size_t count = Byte(Bytes, 2);
  std::string values;
  if (Function >= 3) {
    for (size_t index = 0; 3 + index * 2 + 1 < 3 + count; ++index)
      values += Number(Start + static_cast<unsigned>(index), " %u=") + Number(Word(Bytes, 3 + index * 2));
    return {TR_MARK("Modbus", "响应: %1 字节, 寄存器%2"), {Number(static_cast<unsigned>(count)), values}};
  }
  for (size_t bit = 0; bit < count * 8; ++bit) {
    if (bit % 8 == 0) values += ' ';
    values += (Byte(Bytes, 3 + bit / 8) >> (bit % 8)) & 1 ? '1' : '0';
  }
  return {Function == 1 ? TR_MARK("Modbus", "响应: %1 字节, 线圈 %2 起:%3")
                        : TR_MARK("Modbus", "响应: %1 字节, 输入 %2 起:%3"),
          {Number(static_cast<unsigned>(count)), Number(Start), values}};
}

void AddResponse(ModbusRow& Row, const std::string& Bytes, WORD Start) {
  const BYTE function = Byte(Bytes, 1);
  if (function & 0x80) {
    Row.Phrases.push_back({TR_MARK("Modbus", "异常响应: 代码 %1"), {Number(Byte(Bytes, 2))}});
    Row.Phrases.push_back({ModbusExceptionText(Byte(Bytes, 2)), {}});
  } else if (IsRead(function)) {
    Row.Phrases.push_back(ReadResponsePhrase(function, Bytes, Start));
  } else if (IsWriteOne(function)) {
    Row.Phrases.push_back(WriteOnePhrase(false, function, Bytes));
  } else {
    Row.Phrases.push_back(
        {TR_MARK("Modbus", "响应: 起始 %1, 数量 %2 已写"), {Number(Word(Bytes, 2)), Number(Word(Bytes, 4))}});
  }
}

}  // namespace

std::string ModbusPhraseText(const ModbusPhrase& Phrase) {
  std::string text;
  for (const char* at = Phrase.Pattern; *at; ++at) {
    const size_t index = at[0] == '%' && at[1] >= '1' && at[1] <= '9' ? static_cast<size_t>(at[1] - '1') : SIZE_MAX;
    if (index < Phrase.Values.size()) {
      text += Phrase.Values[index];
      ++at;
    } else {
      text += *at;
    }
  }
  return text;
}

std::string ModbusRowText(const ModbusRow& Row) {
  std::string text;
  for (const ModbusPhrase& phrase : Row.Phrases) {
    if (!text.empty()) text += "  ";
    text += ModbusPhraseText(phrase);
  }
  return text;
}

bool ModbusCrcGood(const std::string& Frame) {
  if (Frame.size() < kShortest) return false;
  const size_t body = Frame.size() - 2;
  const std::uint32_t crc = ChecksumValue(Checksum::Modbus, reinterpret_cast<const std::uint8_t*>(Frame.data()), body);
  return Byte(Frame, body) == (crc & 0xFF) && Byte(Frame, body + 1) == (crc >> 8);
}

const char* ModbusExceptionText(BYTE Code) {
  switch (Code) {
    case 1:
      return TR_MARK("Modbus", "非法功能");
    case 2:
      return TR_MARK("Modbus", "非法数据地址");
    case 3:
      return TR_MARK("Modbus", "非法数据值");
    case 4:
      return TR_MARK("Modbus", "从站设备故障");
    case 5:
      return TR_MARK("Modbus", "确认");
    case 6:
      return TR_MARK("Modbus", "从站设备忙");
    case 8:
      return TR_MARK("Modbus", "存储奇偶性差错");
    case 10:
      return TR_MARK("Modbus", "不可用网关路径");
    case 11:
      return TR_MARK("Modbus", "网关目标设备响应失败");
    default:
      return TR_MARK("Modbus", "未知异常");
  }
}

const char* ModbusFunctionText(BYTE Function) {
  switch (Function & 0x7F) {
    case 1:
      return TR_MARK("Modbus", "读线圈");
    case 2:
      return TR_MARK("Modbus", "读离散输入");
    case 3:
      return TR_MARK("Modbus", "读保持寄存器");
    case 4:
      return TR_MARK("Modbus", "读输入寄存器");
    case 5:
      return TR_MARK("Modbus", "写单个线圈");
    case 6:
      return TR_MARK("Modbus", "写单个寄存器");
    case 15:
      return TR_MARK("Modbus", "写多个线圈");
    case 16:
      return TR_MARK("Modbus", "写多个寄存器");
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
    row.Phrases.push_back(
        {TR_MARK("Modbus", "短帧: %1 字节, 不是完整的 Modbus 帧"), {Number(static_cast<unsigned>(bytes.size()))}});
    return row;
  }
  const BYTE function = Byte(bytes, 1);
  row.Phrases.push_back({TR_MARK("Modbus", "从站 %1  功能 %2"), {Number(Byte(bytes, 0)), Number(function)}});
  if (*ModbusFunctionText(function)) row.Phrases.push_back({ModbusFunctionText(function), {}});
  if (AnswersWaiting(Frame)) {
    row.Response = true;
    row.ResponseTime = Frame.Start >= Waiting->End ? Frame.Start - Waiting->End : 0;
    AddResponse(row, bytes, Waiting->Start);
    Waiting.reset();
  } else if (RequestLength(bytes) == bytes.size() && !(function & 0x80)) {
    row.Phrases.push_back(RequestPhrase(bytes));
    Waiting = Request{
        Frame.Port * 2 + (Frame.Sent ? 1 : 0), Byte(bytes, 0), function, Word(bytes, 2), Word(bytes, 4), Frame.End};
  } else if (ResponseLength(bytes) == bytes.size()) {
    row.Response = true;
    AddResponse(row, bytes, 0);
    row.Phrases.push_back({TR_MARK("Modbus", "(无对应请求)"), {}});
  } else {
    row.Bad = true;
    row.Phrases.push_back(
        {TR_MARK("Modbus", "长度 %1 字节不符合此功能"), {Number(static_cast<unsigned>(bytes.size()))}});
  }
  if (ModbusCrcGood(bytes)) {
    row.Phrases.push_back({TR_MARK("Modbus", "CRC 正确"), {}});
  } else {
    row.Bad = true;
    row.Phrases.push_back(
        {TR_MARK("Modbus", "CRC 错误 (收到 %1)"),
         {Number(Byte(bytes, bytes.size() - 2), "%02X") + Number(Byte(bytes, bytes.size() - 1), "%02X")}});
  }
  return row;
}
