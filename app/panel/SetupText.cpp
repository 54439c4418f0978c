#include "SetupText.h"

#include <string_view>

namespace {

std::string_view Trimmed(std::string_view Line) {
  const size_t first = Line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = Line.find_last_not_of(" \t\r");
  return Line.substr(first, last - first + 1);
}

// Whether the bytes are UTF-8 throughout (no overlong forms, no surrogates).
bool IsUtf8(std::string_view Bytes) {
  size_t i = 0;
  while (i < Bytes.size()) {
    const auto lead = static_cast<unsigned char>(Bytes[i]);
    const int more = lead < 0x80                    ? 0
                     : lead >= 0xC2 && lead <= 0xDF ? 1
                     : (lead >> 4) == 0xE           ? 2
                     : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                    : -1;
    if (more < 0 || i + more >= Bytes.size() + (more == 0)) return false;
    unsigned code = lead & (0x7F >> more);
    for (int k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(Bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    if ((more == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (more == 3 && (code < 0x10000 || code > 0x10FFFF)))
      return false;
    i += more + 1;
  }
  return true;
}

}  // namespace

SetupCheck CheckSetupText(const std::string& Text) {
  if (Text.size() > kLargestSetup) return {1, Tr("Setups", "文件太大")};
  std::string_view rest(Text);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);  // a byte order mark
  bool inSection = false, panelSection = false;
  int number = 0;
  while (!rest.empty()) {
    ++number;
    const size_t end = rest.find('\n');
    const std::string_view raw = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (raw.find('\0') != std::string_view::npos) return {number, Tr("Setups", "含有零字节")};
    if (!IsUtf8(raw)) return {number, Tr("Setups", "不是 UTF-8 文本")};
    const std::string_view line = Trimmed(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const std::string_view name = line.size() >= 2 && line.back() == ']' ? line.substr(1, line.size() - 2) : "";
      if (Trimmed(name).empty() || name.find_first_of("[]") != std::string_view::npos)
        return {number, Tr("Setups", "节名不完整")};
      inSection = true;
      panelSection = panelSection || name == "Device1" || name == "Device2";
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || Trimmed(line.substr(0, equals)).empty())
      return {number, Tr("Setups", "不是“名称=值”")};
    if (!inSection) return {number, Tr("Setups", "值在任何节之前")};
  }
  if (!panelSection) return {number + 1, Tr("Setups", "没有设备1或设备2的节")};
  return {};
}
