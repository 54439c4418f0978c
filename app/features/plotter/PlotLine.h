// The numbers in one received line of text, in the forms boards print for
// plotting: named values ("a:1.5,b:2" or "a:1.5 b:2", also "a: 1.5") and
// plain numbers separated by commas, blanks or tabs, which are the unnamed
// series "1", "2", ... in the order they stand. Words and other tokens that
// are not numbers are skipped; a line without a number gives nothing.
//
// The text is taken as bytes: the separators are ASCII, and no byte of a
// GBK or UTF-8 character other than the ASCII ones can be one, so a name
// keeps its bytes as received.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct PlotValue {
  std::string Name;  // as received; "1", "2", ... for unnamed numbers
  double Value;
};

// Longest name taken; a longer token is not a named value.
constexpr size_t kMaxPlotNameBytes = 64;

enum class PlotNumber {
  kNumber,     // Value holds it
  kNotNumber,  // not a decimal number ("inf", "nan", "0x10" and "12V" are not)
  kTooLarge,   // a number beyond the range of a double: not plotted
};

// A decimal number: optional sign, digits with an optional point, an
// optional exponent. A number too small for a double is 0 (with its sign).
PlotNumber ParsePlotNumber(std::string_view Text, double& Value);

// Values a line keeps; further numbers of the same line are counted in
// Beyond (far more than the 16 series a recording holds).
constexpr size_t kMaxPlotLineValues = 1024;

struct PlotLine {
  std::vector<PlotValue> Values;
  // Numbers beyond a double's range, left out of Values.
  size_t TooLarge = 0;
  // Numbers past kMaxPlotLineValues, left out of Values.
  size_t Beyond = 0;
};

// Reads a line's numbers in parts, each cut between two tokens, so that a
// line too long to be held whole is read as it comes.
class PlotLineReader {
 public:
  void Take(std::string_view Part);
  // The line's numbers so far; the reader starts the next line.
  PlotLine End();

 private:
  PlotLine line_;
  std::string pendingName_;  // from a "name:" standing alone before its number
  int unnamed_ = 0;
};

PlotLine ParsePlotLine(std::string_view Line);
