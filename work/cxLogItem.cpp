// One log record: its construction, its log line and its hexadecimal dump.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Assertion.h"
#include "cxLog.h"

namespace {

const char* const kLevelNames[4] = {"Message", "Warning", "Exception", "Error"};
const char* const kUnknownLevelName = "Unknown";

const unsigned kDumpBytesPerLine = 16;
const unsigned kDumpLineLength = 76;
const char kHexDigits[] = "0123456789ABCDEF";

const char* LevelName(INT8 level) {
  if (level < 0 || level > 3) return kUnknownLevelName;
  return kLevelNames[level];
}

bool IsPathSeparator(char character) { return character == '\\' || character == '/'; }

// The file name of a source path: what follows its last separator.
const char* FileNameOf(const char* szPath) {
  const char* position = szPath + std::strlen(szPath);
  while (position > szPath && !IsPathSeparator(*position)) --position;
  if (IsPathSeparator(*position)) ++position;
  return position;
}

// The one copy step for the record's texts.
char* DuplicateText(const char* szSource) {
  const size_t size = std::strlen(szSource) + 1;
  char* szDest = static_cast<char*>(std::malloc(size));
  ASSERT_AT(szDest, "cxLog", 64);
  std::memcpy(szDest, szSource, size);
  return szDest;
}

void FreeText(char*& szText) {
  std::free(szText);
  szText = nullptr;
}

bool IsControlCharacter(BYTE byte) { return byte < 32 || byte == 127; }

// Builds the 76-character dump line for the bytes at offset (fewer than 16
// at the end of the payload).
void BuildDumpLine(char* line, const BYTE* pBytes, DWORD dwCount, DWORD dwOffset, bool bReplaceControl,
                   char chReplace) {
  std::memset(line, ' ', kDumpLineLength);
  char offsetText[16];
  std::snprintf(offsetText, sizeof offsetText, "%08X: ", static_cast<unsigned>(dwOffset));
  std::memcpy(line, offsetText, 10);
  for (DWORD i = 0; i < dwCount; ++i) {
    const BYTE byte = pBytes[i];
    line[10 + 3 * i] = kHexDigits[byte >> 4];
    line[11 + 3 * i] = kHexDigits[byte & 0x0F];
    line[58 + i] = bReplaceControl && IsControlCharacter(byte) ? chReplace : static_cast<char>(byte);
  }
  line[74] = '\r';
  line[75] = '\n';
}

}  // namespace

CxLog::Item::Item(const char* szSource, const char* szContext, int nLine, INT8 level, const char* szMessage,
                  const void* pBin, DWORD dwBinLen)
    : _Time{},
      _szTime{},
      _szSource(nullptr),
      _szContext(nullptr),
      _nLine(0),
      _cLevel(level),
      _szMessage(nullptr),
      _pBin(nullptr),
      _dwBinLen(0) {
  GetLocalTime(&_Time);
  std::snprintf(_szTime, sizeof _szTime, "%04d-%02d-%02d %02d:%02d:%02d.%03d", _Time.wYear % 10000, _Time.wMonth % 100,
                _Time.wDay % 100, _Time.wHour % 100, _Time.wMinute % 100, _Time.wSecond % 100,
                _Time.wMilliseconds % 1000);
  if (szSource != nullptr) {
    _szSource = DuplicateText(FileNameOf(szSource));
    _nLine = nLine;
  }
  if (szContext != nullptr) _szContext = DuplicateText(szContext);
  if (szMessage != nullptr) _szMessage = DuplicateText(szMessage);
  if (pBin != nullptr && dwBinLen != 0) {
    _pBin = static_cast<BYTE*>(std::malloc(dwBinLen));
    ASSERT_AT(_pBin, "cxLog", 92);
    std::memcpy(_pBin, pBin, dwBinLen);
    _dwBinLen = dwBinLen;
  }
}

CxLog::Item::~Item() {
  FreeText(_szSource);
  FreeText(_szContext);
  FreeText(_szMessage);
  std::free(_pBin);
  _pBin = nullptr;
}

char* CxLog::Item::FormatLine(char* szBuffer, DWORD dwSize, DWORD* pdwLength) const {
  if (szBuffer == nullptr) return nullptr;
  DWORD length = 0;
  if (dwSize > 0) {
    const int formatted =
        std::snprintf(szBuffer, dwSize, "%s %s %s(%d): %s\r\n", _szTime, LevelName(_cLevel),
                      _szSource != nullptr ? _szSource : "", _nLine, _szMessage != nullptr ? _szMessage : "");
    if (formatted < 0) {
      szBuffer[0] = '\0';
    } else if (static_cast<DWORD>(formatted) < dwSize) {
      length = static_cast<DWORD>(formatted);
    } else {
      // Too long for the area: keep what fits and still end the line, so the
      // next record starts on a line of its own.
      length = dwSize - 1;
      if (length >= 2) {
        szBuffer[length - 2] = '\r';
        szBuffer[length - 1] = '\n';
      }
    }
    // A message that ended with its own line break gets no second one.
    if (length > 4 && szBuffer[length - 4] == '\r' && szBuffer[length - 3] == '\n') {
      szBuffer[length - 2] = '\0';
      length -= 2;
    }
  }
  if (pdwLength != nullptr) *pdwLength = length;
  return szBuffer;
}

char* CxLog::Item::HexDump(char* szBuffer, DWORD dwSize, DWORD* pdwLength, bool bReplaceControl, char chReplace) const {
  if (_pBin == nullptr) {
    if (pdwLength != nullptr) *pdwLength = 0;
    return szBuffer;
  }
  size_t capacity = dwSize;
  if (szBuffer == nullptr) {
    // A dump too large for a 32-bit length is cut to that length.
    const size_t needed = static_cast<size_t>(_dwBinLen / kDumpBytesPerLine) * kDumpLineLength + kDumpLineLength + 1;
    capacity = needed > 0xFFFFFFFFu ? 0xFFFFFFFFu : needed;
    szBuffer = static_cast<char*>(std::malloc(capacity));
    ASSERT_AT(szBuffer, "cxLog", 142);
  }
  size_t position = 0;
  if (capacity > 0) {
    char line[kDumpLineLength];
    for (size_t offset = 0; offset < _dwBinLen && position < capacity - 1; offset += kDumpBytesPerLine) {
      const size_t remaining = _dwBinLen - offset;
      const DWORD count = static_cast<DWORD>(remaining < kDumpBytesPerLine ? remaining : kDumpBytesPerLine);
      BuildDumpLine(line, _pBin + offset, count, static_cast<DWORD>(offset), bReplaceControl, chReplace);
      const size_t room = capacity - 1 - position;
      const size_t copied = room < kDumpLineLength ? room : kDumpLineLength;
      std::memcpy(szBuffer + position, line, copied);
      position += copied;
    }
    szBuffer[position] = '\0';
  }
  if (pdwLength != nullptr) *pdwLength = static_cast<DWORD>(position);
  return szBuffer;
}
