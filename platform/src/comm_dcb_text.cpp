// BuildCommDCBA: line settings from text, in the form "9600,N,8,1" or
// "baud=9600 parity=N data=8 stop=1" (any of the four keys, each once, in
// any order). Parity is one of N, O, E, M, S in either case; data bits 5 to
// 8; stop bits 1, 1.5 or 2; the baud rate any positive decimal number. Like
// Windows, a successful parse also turns flow control off. Anything else
// fails with ERROR_INVALID_PARAMETER and leaves the DCB as it was.
#include <cctype>
#include <optional>
#include <string_view>
#include <vector>

#include <windows.h>

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool sameIgnoringCase(std::string_view left, std::string_view right) {
  if (left.size() != right.size()) return false;
  for (size_t i = 0; i < left.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(left[i])) != std::tolower(static_cast<unsigned char>(right[i])))
      return false;
  }
  return true;
}

std::optional<DWORD> parseBaud(std::string_view text) {
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return static_cast<DWORD>(value);
}

std::optional<BYTE> parseParity(std::string_view text) {
  if (text.size() != 1) return std::nullopt;
  switch (std::toupper(static_cast<unsigned char>(text[0]))) {
    case 'N':
      return BYTE{NOPARITY};
    case 'O':
      return BYTE{ODDPARITY};
    case 'E':
      return BYTE{EVENPARITY};
    case 'M':
      return BYTE{MARKPARITY};
    case 'S':
      return BYTE{SPACEPARITY};
    default:
      return std::nullopt;
  }
}

std::optional<BYTE> parseDataBits(std::string_view text) {
  if (text.size() != 1 || text[0] < '5' || text[0] > '8') return std::nullopt;
  return static_cast<BYTE>(text[0] - '0');
}

std::optional<BYTE> parseStopBits(std::string_view text) {
  if (text == "1") return BYTE{ONESTOPBIT};
  if (text == "1.5") return BYTE{ONE5STOPBITS};
  if (text == "2") return BYTE{TWOSTOPBITS};
  return std::nullopt;
}

struct ParsedSettings {
  std::optional<DWORD> baud;
  std::optional<BYTE> parity;
  std::optional<BYTE> dataBits;
  std::optional<BYTE> stopBits;
};

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

std::optional<ParsedSettings> parsePositional(std::string_view text) {
  const std::vector<std::string_view> fields = split(text, ',');
  if (fields.size() != 4) return std::nullopt;
  ParsedSettings parsed{parseBaud(trimmed(fields[0])), parseParity(trimmed(fields[1])),
                        parseDataBits(trimmed(fields[2])), parseStopBits(trimmed(fields[3]))};
  if (!parsed.baud || !parsed.parity || !parsed.dataBits || !parsed.stopBits) return std::nullopt;
  return parsed;
}

template <typename T, typename Parser>
bool setOnce(std::optional<T>& field, std::string_view value, Parser parse) {
  if (field) return false;
  field = parse(value);
  return field.has_value();
}

std::optional<ParsedSettings> parseKeyed(std::string_view text) {
  ParsedSettings parsed;
  bool any = false;
  while (!(text = trimmed(text)).empty()) {
    size_t end = 0;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
    const std::string_view item = text.substr(0, end);
    text.remove_prefix(end);
    const size_t equals = item.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = item.substr(0, equals);
    const std::string_view value = item.substr(equals + 1);
    bool accepted;
    if (sameIgnoringCase(key, "baud")) {
      accepted = setOnce(parsed.baud, value, parseBaud);
    } else if (sameIgnoringCase(key, "parity")) {
      accepted = setOnce(parsed.parity, value, parseParity);
    } else if (sameIgnoringCase(key, "data")) {
      accepted = setOnce(parsed.dataBits, value, parseDataBits);
    } else if (sameIgnoringCase(key, "stop")) {
      accepted = setOnce(parsed.stopBits, value, parseStopBits);
    } else {
      accepted = false;
    }
    if (!accepted) return std::nullopt;
    any = true;
  }
  if (!any) return std::nullopt;
  return parsed;
}

}  // namespace

BOOL WINAPI BuildCommDCBA(LPCSTR lpDef, LPDCB lpDCB) {
  if (lpDef == nullptr || lpDCB == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string_view text(lpDef);
  std::optional<ParsedSettings> parsed =
      text.find('=') != std::string_view::npos ? parseKeyed(text) : parsePositional(text);
  if (!parsed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DCB& dcb = *lpDCB;
  if (parsed->baud) dcb.BaudRate = *parsed->baud;
  if (parsed->parity) dcb.Parity = *parsed->parity;
  if (parsed->dataBits) dcb.ByteSize = *parsed->dataBits;
  if (parsed->stopBits) dcb.StopBits = *parsed->stopBits;
  dcb.fBinary = 1;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDsrSensitivity = 0;
  dcb.fOutX = 0;
  dcb.fInX = 0;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  return TRUE;
}
