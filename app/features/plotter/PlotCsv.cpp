#include "PlotCsv.h"

#include <charconv>
#include <cmath>

namespace {

constexpr size_t kPiece = 64 * 1024;

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

template <typename... Format>
void AppendNumber(std::string& out, double value, Format... format) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value, format...);
  out.append(text, result.ptr);
}

}  // namespace

bool WritePlotCsv(const PlotRecording& Recording, std::string_view SampleColumn, std::string_view TimeColumn,
                  const std::function<bool(std::string_view Piece)>& Write) {
  std::string out;
  out.reserve(kPiece + 1024);
  AppendQuoted(out, SampleColumn);
  out += ',';
  AppendQuoted(out, TimeColumn);
  for (size_t series = 0; series < Recording.SeriesCount(); ++series) {
    out += ',';
    AppendQuoted(out, Recording.SeriesName(series));
  }
  out += "\r\n";
  for (uint64_t row = Recording.FirstRow(); row < Recording.EndRow(); ++row) {
    out += std::to_string(row + 1);
    out += ',';
    AppendNumber(out, Recording.Time(row), std::chars_format::fixed, 3);
    for (size_t series = 0; series < Recording.SeriesCount(); ++series) {
      out += ',';
      const double value = Recording.Value(series, row);
      if (!std::isnan(value)) AppendNumber(out, value);
    }
    out += "\r\n";
    if (out.size() >= kPiece) {
      if (!Write(out)) return false;
      out.clear();
    }
  }
  return Write(out);
}
