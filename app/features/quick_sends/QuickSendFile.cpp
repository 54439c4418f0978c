#include "QuickSendFile.h"

#include <toolkit/strings.h>
#include <toolkit/translation.h>

#include "QuickSendText.h"

namespace {

const char kHeader[] =
    "# Kestrix quick sends: name, text or hex, checksum, period in ms (0: none), message; separated by tabs\n";

// Every tab separates: a message's own tab is written \t.
std::vector<std::string> SplitFields(const std::string& Line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = Line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(Line.substr(start, tab - start));
  fields.push_back(Line.substr(start));
  return fields;
}

// C0 controls, DEL, and the C1 controls as UTF-8 (U+0080 to U+009F).
bool HasControlCharacter(const std::string& Text) {
  for (size_t i = 0; i < Text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(Text[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    if (byte == 0xC2 && i + 1 < Text.size() && (static_cast<unsigned char>(Text[i + 1]) & 0xE0) == 0x80) return true;
  }
  return false;
}

bool ReadPeriod(const std::string& Text, int& PeriodMs) {
  if (Text.empty() || Text.size() > 7) return false;
  int value = 0;
  for (char c : Text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (!ValidQuickSendPeriod(value)) return false;
  PeriodMs = value;
  return true;
}

// Whether the bytes are UTF-8 that names characters (no overlong forms or
// surrogates are looked for: the toolkit's conversion replaces those).
bool LooksLikeUtf8(const std::string& Text) {
  for (size_t i = 0; i < Text.size();) {
    const auto lead = static_cast<unsigned char>(Text[i]);
    const size_t extra = lead < 0x80           ? 0
                         : (lead >> 5) == 0x6  ? 1
                         : (lead >> 4) == 0xE  ? 2
                         : (lead >> 3) == 0x1E ? 3
                                               : 9;
    if (extra == 9 || i + extra >= Text.size()) return false;
    for (size_t k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(Text[i + k]) >> 6) != 0x2) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

std::string QuickSendLine(const QuickSend& Send) {
  std::string name;
  for (char c : Send.Name) name += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
  return name + "\t" + (Send.Hex ? "hex" : "text") + "\t" + ChecksumKey(Send.Check) + "\t" +
         std::to_string(Send.PeriodMs) + "\t" + (Send.Hex ? Send.Message : EscapeForLine(Send.Message));
}

bool CheckQuickSend(const QuickSend& Send, std::string& Error) {
  if (Send.Name.empty()) {
    Error = Tr("QuickSends", "没有名称").Utf8();
    return false;
  }
  if (HasControlCharacter(Send.Name)) {
    Error = Tr("QuickSends", "名称含控制字符（如制表符、换行）").Utf8();
    return false;
  }
  if (Send.Message.size() > kMaxQuickSendMessage) {
    Error = Tr("QuickSends", "内容超过 1024 个字符").Utf8();
    return false;
  }
  if (!ValidQuickSendPeriod(Send.PeriodMs)) {
    Error = Tr("QuickSends", "周期须为 0（不定时）或 100 至 3600000 毫秒、100 的整数倍").Utf8();
    return false;
  }
  std::string bytes;
  return QuickSendBytes(Send, bytes, Error);
}

bool ReadQuickSendLine(const std::string& Line, QuickSend& Send, std::string& Error) {
  if (!LooksLikeUtf8(Line)) {
    Error = Tr("QuickSends", "不是 UTF-8 文本").Utf8();
    return false;
  }
  const std::vector<std::string> fields = SplitFields(Line);
  if (fields.size() != 5) {
    Error = Fill(Tr("QuickSends", "有 %1 个以制表符分隔的字段，应有 5 个：名称、text 或 hex、校验、周期、内容"),
                 {IntToStr(static_cast<int>(fields.size()))})
                .Utf8();
    return false;
  }
  QuickSend read;
  read.Name = String(fields[0].c_str()).Trim().Utf8();
  if (fields[1] != "text" && fields[1] != "hex") {
    Error = Fill(Tr("QuickSends", "第二个字段应为 text 或 hex，而不是 “%1”"), {String(fields[1].c_str())}).Utf8();
    return false;
  }
  read.Hex = fields[1] == "hex";
  if (!ChecksumFromKey(fields[2], read.Check)) {
    Error = Fill(Tr("QuickSends", "未知的校验 “%1”（可用 none modbus ccitt-false xmodem crc8 crc32 sum8 xor8）"),
                 {String(fields[2].c_str())})
                .Utf8();
    return false;
  }
  if (!ReadPeriod(fields[3], read.PeriodMs)) {
    Error =
        Fill(Tr("QuickSends", "周期 “%1” 无效（0，或 100 至 3600000 毫秒、100 的整数倍）"), {String(fields[3].c_str())})
            .Utf8();
    return false;
  }
  read.Message = fields[4];
  if (!CheckQuickSend(read, Error)) return false;
  Send = read;
  return true;
}

std::string QuickSendFileText(const std::vector<QuickSend>& Sends) {
  std::string text = kHeader;
  for (const QuickSend& send : Sends) text += QuickSendLine(send) + "\n";
  return text;
}

QuickSendFileRead ReadQuickSendFile(const std::string& Text) {
  QuickSendFileRead read;
  size_t start = 0;
  for (int number = 1; start < Text.size(); ++number) {
    size_t end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    std::string line = Text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();  // written on Windows
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
    QuickSend send;
    std::string error;
    if (ReadQuickSendLine(line, send, error))
      read.Sends.push_back(send);
    else
      read.Errors.push_back(Fill(Tr("QuickSends", "第 %1 行：%2"), {IntToStr(number), String(error.c_str())}).Utf8());
  }
  return read;
}
