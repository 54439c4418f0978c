// Log records (CxLog::Item): a line is the record's fields in the line
// format, cut to the caller's area and still ended by a line break; a dump
// is 76-character lines that spell the payload, and a cut dump is the start
// of the whole one. Nothing is written outside the area given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cxLog.h"
#include "fuzz_input.h"

namespace {

const char* const kLevelNames[] = {"Message", "Warning", "Exception", "Error"};
const char kHexDigits[] = "0123456789ABCDEF";

std::string FileName(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The line the record's fields make, before a message's own line break
// takes the place of the line's.
std::string FormattedLine(const CxLog::Item& item, const std::string* source, const std::string* message) {
  const int level = item._cLevel;
  return std::string(item._szTime) + " " + (level >= 0 && level <= 3 ? kLevelNames[level] : "Unknown") + " " +
         (source ? FileName(*source) : "") + "(" + std::to_string(item._nLine) + "): " + (message ? *message : "") +
         "\r\n";
}

bool EndsWithTwoLineBreaks(const std::string& line) {
  return line.size() > 4 && line.compare(line.size() - 4, 4, "\r\n\r\n") == 0;
}

std::string ExpectedDump(const std::string& payload, bool replaceControl, char replacement) {
  std::string dump;
  for (size_t offset = 0; offset < payload.size(); offset += 16) {
    char head[16];
    std::snprintf(head, sizeof head, "%08X: ", static_cast<unsigned>(offset));
    std::string cells, characters;
    for (size_t i = offset; i < offset + 16; ++i) {
      if (i >= payload.size()) {
        cells += "   ";
        characters += ' ';
        continue;
      }
      const auto byte = static_cast<unsigned char>(payload[i]);
      cells += {kHexDigits[byte >> 4], kHexDigits[byte & 15], ' '};
      const bool control = byte < 32 || byte == 127;
      characters += replaceControl && control ? replacement : static_cast<char>(byte);
    }
    dump += head + cells + characters + "\r\n";
  }
  return dump;
}

void CheckLine(const CxLog::Item& item, const std::string& formatted, size_t capacity) {
  // Exactly the capacity given, so that a byte past it is seen.
  std::vector<char> area(capacity == 0 ? 1 : capacity, 'x');
  DWORD length = 12345;
  FUZZ_CHECK(item.FormatLine(area.data(), static_cast<DWORD>(capacity), &length) == area.data());
  if (capacity == 0) {
    FUZZ_CHECK(length == 0);
    return;
  }
  FUZZ_CHECK(length < capacity && area[length] == '\0');
  const std::string line(area.data(), length);
  if (formatted.size() < capacity) {
    const bool cut = EndsWithTwoLineBreaks(formatted);
    FUZZ_CHECK(line == (cut ? formatted.substr(0, formatted.size() - 2) : formatted));
    return;
  }
  // Cut to the area: the start of the line, then a line break where there
  // is room for one.
  if (length < 2) {
    FUZZ_CHECK(length == capacity - 1 && formatted.compare(0, length, line) == 0);
    return;
  }
  FUZZ_CHECK(formatted.compare(0, length - 2, line, 0, length - 2) == 0);
  FUZZ_CHECK(line.compare(length - 2, 2, "\r\n") == 0);
}

void CheckDump(const CxLog::Item& item, const std::string& expected, size_t capacity, bool replace, char replacement) {
  DWORD length = 12345;
  char* whole = item.HexDump(nullptr, 0, &length, replace, replacement);
  if (expected.empty()) {
    FUZZ_CHECK(whole == nullptr && length == 0);
  } else {
    FUZZ_CHECK(whole != nullptr && length == expected.size() && std::string(whole, length) == expected);
    FUZZ_CHECK(whole[length] == '\0');
    std::free(whole);
  }

  std::vector<char> area(capacity == 0 ? 1 : capacity, 'x');
  length = 12345;
  FUZZ_CHECK(item.HexDump(area.data(), static_cast<DWORD>(capacity), &length, replace, replacement) == area.data());
  const size_t fits = capacity == 0 || expected.empty() ? 0 : std::min(expected.size(), capacity - 1);
  FUZZ_CHECK(length == fits);
  FUZZ_CHECK(std::memcmp(area.data(), expected.data(), fits) == 0);
  if (capacity > 0 && !expected.empty()) FUZZ_CHECK(area[length] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input(data, size);
  const auto level = static_cast<INT8>(input.Byte());
  const uint8_t presence = input.Byte();  // which of the texts and payload are given
  const int line = static_cast<int>(input.Number32());
  const size_t lineCapacity = (input.Byte() << 8 | input.Byte()) % 1200;
  const size_t dumpCapacity = (input.Byte() << 8 | input.Byte()) % 1200;
  const bool replace = input.Byte() & 1;
  const char replacement = static_cast<char>(input.Byte());
  const std::string source = input.Field('\0');
  const std::string context = input.Field('\0');
  const std::string message = input.Field('\0');
  const std::string payload = input.Rest();

  const bool hasSource = presence & 1, hasContext = presence & 2, hasMessage = presence & 4;
  const bool hasPayload = (presence & 8) != 0 && !payload.empty();
  const CxLog::Item item(hasSource ? source.c_str() : nullptr, hasContext ? context.c_str() : nullptr, line, level,
                         hasMessage ? message.c_str() : nullptr, hasPayload ? payload.data() : nullptr,
                         static_cast<DWORD>(hasPayload ? payload.size() : (presence & 16 ? 0 : payload.size())));
  FUZZ_CHECK(item._nLine == (hasSource ? line : 0));
  FUZZ_CHECK(std::strlen(item._szTime) == 23);

  FUZZ_CHECK(item.FormatLine(nullptr, 1024, nullptr) == nullptr);
  const std::string formatted = FormattedLine(item, hasSource ? &source : nullptr, hasMessage ? &message : nullptr);
  CheckLine(item, formatted, formatted.size() + 1);
  CheckLine(item, formatted, lineCapacity);
  CheckLine(item, formatted, 1024);

  CheckDump(item, hasPayload ? ExpectedDump(payload, replace, replacement) : std::string(), dumpCapacity, replace,
            replacement);
  return 0;
}
