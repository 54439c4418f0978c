#include "MonitorChoices.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kLimits[] = {1, 4, 16, 64};
constexpr double kLongestGapMs = 60000;

}  // namespace

std::span<const int> MonitorLimits() { return kLimits; }

bool IsMonitorLimit(int Mb) { return std::find(std::begin(kLimits), std::end(kLimits), Mb) != std::end(kLimits); }

double FrameGapOfText(const std::string& Text) {
  const size_t first = Text.find_first_not_of(' ');
  if (first == std::string::npos) return 0;
  const size_t last = Text.find_last_not_of(' ');
  const std::string number = Text.substr(first, last - first + 1);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(number.c_str(), &end);
  // Only a plain decimal number: strtod also takes "inf", "nan" and hex.
  if (errno != 0 || end != number.c_str() + number.size() ||
      number.find_first_not_of("0123456789.") != std::string::npos)
    return 0;
  return value > 0 && value < kLongestGapMs ? value : 0;
}

std::string FrameGapText(double Ms) {
  if (!(Ms > 0)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%g", Ms);
  return text;
}
