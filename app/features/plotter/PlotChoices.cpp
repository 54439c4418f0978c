#include "PlotChoices.h"

#include <charconv>
#include <cmath>

#include "PlotLine.h"

bool ValidSpan(double Span, bool InSeconds) {
  return InSeconds ? Span >= 0.1 && Span <= 86400 : Span >= 2 && Span <= kDefaultPlotLimit;
}

bool ValidRange(double Min, double Max) { return std::isfinite(Min) && std::isfinite(Max) && Min < Max; }

bool ReadPlotNumber(std::string_view Text, double& Value) {
  while (!Text.empty() && Text.front() == ' ') Text.remove_prefix(1);
  while (!Text.empty() && Text.back() == ' ') Text.remove_suffix(1);
  return ParsePlotNumber(Text, Value) == PlotNumber::kNumber;
}

std::string PlotNumberText(double Value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, Value);
  return std::string(text, result.ptr);
}
