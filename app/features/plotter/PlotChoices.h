// What the plotter's window shows, chosen by the user and remembered: the x
// axis, how much of the recording is in view, and the value range.
#pragma once

#include <string>
#include <string_view>

#include "PlotView.h"

struct PlotChoices {
  PlotXAxis Axis = PlotXAxis::kTime;
  bool SpanInSeconds = false;  // the last Span seconds, else the last Span samples
  double Span = 500;
  bool Autoscale = true;
  double Min = 0;  // the fixed range, when not Autoscale
  double Max = 100;
};

// Spans a window can show: 2 to the recording limit samples, 0.1 s to a day.
bool ValidSpan(double Span, bool InSeconds);
// A fixed range: finite, Min below Max.
bool ValidRange(double Min, double Max);

// A number the user typed, in the plotter's number form; false when it is
// none or out of range.
bool ReadPlotNumber(std::string_view Text, double& Value);
// The shortest text that reads back as Value.
std::string PlotNumberText(double Value);
