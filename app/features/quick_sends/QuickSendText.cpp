#include "QuickSendText.h"

#include <toolkit/strings.h>
#include <toolkit/translation.h>

#include <vector>

#include "HexText.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AddPiece(std::vector<TextPiece>& Pieces, bool Raw, const std::string& Text) {
  if (!Pieces.empty() && Pieces.back().Raw == Raw)
    Pieces.back().Text += Text;
  else
    Pieces.push_back({Raw, Text});
}

}  // namespace

bool DecodeEscapes(const std::string& Text, std::vector<TextPiece>& Pieces, std::string& Error) {
  Pieces.clear();
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '\\') {
      AddPiece(Pieces, false, std::string(1, Text[i]));
      continue;
    }
    if (i + 1 == Text.size()) {
      Error = Tr("QuickSends", "末尾的 \\ 后面缺少字符（要发送 \\ 请写 \\\\）").Utf8();
      return false;
    }
    const char kind = Text[++i];
    switch (kind) {
      case 'r':
        AddPiece(Pieces, true, "\r");
        break;
      case 'n':
        AddPiece(Pieces, true, "\n");
        break;
      case 't':
        AddPiece(Pieces, true, "\t");
        break;
      case '\\':
        AddPiece(Pieces, true, "\\");
        break;
      case 'x': {
        const int high = i + 1 < Text.size() ? HexValue(Text[i + 1]) : -1;
        const int low = i + 2 < Text.size() ? HexValue(Text[i + 2]) : -1;
        if (high < 0 || low < 0) {
          Error = Tr("QuickSends", "\\x 后面要有两个十六进制数字").Utf8();
          return false;
        }
        AddPiece(Pieces, true, std::string(1, static_cast<char>(high * 16 + low)));
        i += 2;
        break;
      }
      default:
        Error = Fill(Tr("QuickSends", "未知的转义 \\%1（可用 \\r \\n \\t \\\\ \\xHH）"),
                     {String(std::string(1, kind).c_str())})
                    .Utf8();
        return false;
    }
  }
  return true;
}

std::string EscapeForLine(const std::string& Text) {
  std::string line;
  for (char c : Text) {
    if (c == '\t')
      line += "\\t";
    else if (c == '\r')
      line += "\\r";
    else if (c == '\n')
      line += "\\n";
    else
      line += c;
  }
  if (!line.empty() && line.back() == ' ') line.replace(line.size() - 1, 1, "\\x20");
  return line;
}

bool QuickSendBytes(const QuickSend& Send, std::string& Bytes, std::string& Error) {
  std::string message;
  if (Send.Hex) {
    const AnsiString digits(String(Send.Message.c_str()).Trim());
    std::vector<BYTE> bytes(static_cast<size_t>(digits.Length()) / 2 + 1, 0);
    const int count = HexToBytes(digits.c_str(), bytes.data());
    if (count == 0) {
      Error = Tr("QuickSends", "十六进制内容里没有一个完整的字节").Utf8();
      return false;
    }
    message.assign(bytes.begin(), bytes.begin() + count);
  } else {
    std::vector<TextPiece> pieces;
    if (!DecodeEscapes(Send.Message, pieces, Error)) return false;
    for (const TextPiece& piece : pieces) {
      if (piece.Raw) {
        message += piece.Text;
      } else {
        const AnsiString converted{String(piece.Text.c_str())};
        message.append(converted.c_str(), static_cast<size_t>(converted.Length()));
      }
    }
    if (message.empty()) {
      Error = Tr("QuickSends", "内容为空").Utf8();
      return false;
    }
  }
  Bytes = WithChecksum(Send.Check, message);
  return true;
}
