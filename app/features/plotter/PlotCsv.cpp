#include "PlotCsv.h"

#include <algorithm>
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
  return WritePlotCsv({PlotPart{std::string(), &Recording}}, std::string_view(), SampleColumn, TimeColumn, Write);
}

bool WritePlotCsv(const std::vector<PlotPart>& Parts, std::string_view PortColumn, std::string_view SampleColumn,
                  std::string_view TimeColumn, const std::function<bool(std::string_view Piece)>& Write) {
  const bool ports = Parts.size() > 1;
  // Every series of every part, by name; each part's series' columns.
  std::vector<std::string> names;
  std::vector<std::vector<size_t>> columns(Parts.size());
  for (size_t part = 0; part < Parts.size(); ++part)
    for (size_t series = 0; series < Parts[part].Recording->SeriesCount(); ++series) {
      const std::string& name = Parts[part].Recording->SeriesName(series);
      const auto found = std::find(names.begin(), names.end(), name);
      columns[part].push_back(static_cast<size_t>(found - names.begin()));
      if (found == names.end()) names.push_back(name);
    }

  std::string out;
  out.reserve(kPiece + 1024);
  if (ports) {
    AppendQuoted(out, PortColumn);
    out += ',';
  }
  AppendQuoted(out, SampleColumn);
  out += ',';
  AppendQuoted(out, TimeColumn);
  for (const std::string& name : names) {
    out += ',';
    AppendQuoted(out, name);
  }
  out += "\r\n";
  std::vector<double> values(names.size());
  for (size_t part = 0; part < Parts.size(); ++part) {
    const PlotRecording& recording = *Parts[part].Recording;
    for (uint64_t row = recording.FirstRow(); row < recording.EndRow(); ++row) {
      if (ports) {
        AppendQuoted(out, Parts[part].Port);
        out += ',';
      }
      out += std::to_string(row + 1);
      out += ',';
      AppendNumber(out, recording.Time(row), std::chars_format::fixed, 3);
      std::fill(values.begin(), values.end(), std::nan(""));
      for (size_t series = 0; series < recording.SeriesCount(); ++series)
        values[columns[part][series]] = recording.Value(series, row);
      for (const double value : values) {
        out += ',';
        if (!std::isnan(value)) AppendNumber(out, value);
      }
      out += "\r\n";
      if (out.size() >= kPiece) {
        if (!Write(out)) return false;
        out.clear();
      }
    }
  }
  return Write(out);
}
