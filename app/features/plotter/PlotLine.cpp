#include "PlotLine.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The shape of a decimal number, and the power of ten of its first
// significant digit (so that a number out of a double's range can be told
// too large from too small without converting it).
struct NumberShape {
  bool valid = false;
  bool negative = false;
  bool allZero = true;
  long long leadingPower = 0;
};

NumberShape Shape(std::string_view text) {
  NumberShape shape;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) shape.negative = text[i++] == '-';
  long long integerDigits = 0, leadingZerosAfterPoint = 0, digits = 0;
  bool seenSignificant = false;
  for (; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
    if (text[i] != '0') seenSignificant = true;
    if (seenSignificant) ++integerDigits;
  }
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i, ++digits) {
      if (text[i] != '0') seenSignificant = true;
      if (!seenSignificant) ++leadingZerosAfterPoint;
    }
  }
  if (digits == 0) return shape;
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool negativeExponent = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negativeExponent = text[i++] == '-';
    if (i == text.size() || !IsDigit(text[i])) return shape;
    for (; i < text.size() && IsDigit(text[i]); ++i)
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[i] - '0');
    if (negativeExponent) exponent = -exponent;
  }
  if (i != text.size()) return shape;
  shape.valid = true;
  shape.allZero = !seenSignificant;
  shape.leadingPower = (integerDigits > 0 ? integerDigits - 1 : -(leadingZerosAfterPoint + 1)) + exponent;
  return shape;
}

}  // namespace

PlotNumber ParsePlotNumber(std::string_view Text, double& Value) {
  const NumberShape shape = Shape(Text);
  if (!shape.valid) return PlotNumber::kNotNumber;
  if (shape.allZero) {
    Value = shape.negative ? -0.0 : 0.0;
    return PlotNumber::kNumber;
  }
  // from_chars takes no '+' and, unlike strtod, ignores the locale's decimal
  // point.
  if (Text.front() == '+') Text.remove_prefix(1);
  double parsed = 0;
  const auto result = std::from_chars(Text.data(), Text.data() + Text.size(), parsed);
  if (result.ec == std::errc::result_out_of_range || (result.ec == std::errc() && std::isinf(parsed))) {
    if (shape.leadingPower > 0) return PlotNumber::kTooLarge;
    Value = shape.negative ? -0.0 : 0.0;
    return PlotNumber::kNumber;
  }
  if (result.ec != std::errc() || result.ptr != Text.data() + Text.size()) return PlotNumber::kNotNumber;
  Value = parsed;
  return PlotNumber::kNumber;
}

void PlotLineReader::Take(std::string_view Part) {
  size_t i = 0;
  while (i < Part.size()) {
    while (i < Part.size() && IsSeparator(Part[i])) ++i;
    const size_t start = i;
    while (i < Part.size() && !IsSeparator(Part[i])) ++i;
    if (start == i) break;
    std::string_view token = Part.substr(start, i - start);
    std::string_view name;
    const size_t colon = token.rfind(':');
    if (colon != std::string_view::npos) {
      name = token.substr(0, colon);
      token.remove_prefix(colon + 1);
      if (name.size() > kMaxPlotNameBytes) {
        pendingName_.clear();
        continue;
      }
      if (token.empty()) {
        pendingName_.assign(name);
        continue;
      }
    } else if (!pendingName_.empty()) {
      name = pendingName_;
    }
    double value = 0;
    const PlotNumber kind = ParsePlotNumber(token, value);
    const bool named = !name.empty();
    std::string valueName = named ? std::string(name) : std::string();
    pendingName_.clear();
    // A word takes no series number; a number too large keeps its place.
    if (kind == PlotNumber::kNotNumber) continue;
    if (!named) valueName = std::to_string(++unnamed_);
    if (kind == PlotNumber::kTooLarge)
      ++line_.TooLarge;
    else if (line_.Values.size() >= kMaxPlotLineValues)
      ++line_.Beyond;
    else
      line_.Values.push_back({std::move(valueName), value});
  }
}

PlotLine PlotLineReader::End() {
  PlotLine line = std::move(line_);
  line_ = PlotLine();
  pendingName_.clear();
  unnamed_ = 0;
  return line;
}

PlotLine ParsePlotLine(std::string_view Line) {
  PlotLineReader reader;
  reader.Take(Line);
  return reader.End();
}
