#include "HexDump.h"

#include <cstdio>

namespace {

constexpr unsigned kPerLine = 16;
constexpr char kDigits[] = "0123456789ABCDEF";

}  // namespace

void HexDump::Take(const BYTE* pBytes, DWORD dwCount, ULONGLONG Now, std::string_view Stamp, DumpSink& Sink) {
  if (dwCount == 0) return;
  EndIfQuiet(Now, Sink);
  std::string text;
  text.reserve(dwCount * 4 + 96);
  for (DWORD i = 0; i < dwCount; ++i) {
    if (column_ == 0) {
      if (!Stamp.empty()) {
        Sink.DumpText(text, false);
        text.clear();
        Sink.DumpText(Stamp, true);
      }
      char offset[24];
      std::snprintf(offset, sizeof offset, "%08llX  ", static_cast<unsigned long long>(offset_));
      text += offset;
    }
    const BYTE byte = pBytes[i];
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
    text += column_ == 7 ? "  " : " ";
    characters_[column_++] = byte >= 0x20 && byte <= 0x7E ? static_cast<char>(byte) : '.';
    ++offset_;
    if (column_ == kPerLine) {
      Sink.DumpText(text, false);
      text.clear();
      EndLine(Sink);
    }
  }
  Sink.DumpText(text, false);
  last_ = Now;
}

void HexDump::EndIfQuiet(ULONGLONG Now, DumpSink& Sink) {
  if (Quiet(Now)) EndLine(Sink);
}

void HexDump::EndLine(DumpSink& Sink) {
  if (column_ == 0) return;
  std::string text;
  // The pairs a short line lacks, so that its character column lines up.
  for (unsigned missing = column_; missing < kPerLine; ++missing) text += missing == 7 ? "    " : "   ";
  text += " |";
  text.append(characters_, column_);
  text += "|\n";
  column_ = 0;
  Sink.DumpText(text, false);
}

void HexDump::Clear() {
  offset_ = 0;
  column_ = 0;
}
