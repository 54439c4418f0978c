// What the link monitor's window offers, kept by the monitor whether its
// window is made or not, and remembered between runs: hex or text, the
// panels' own sends as rows, Modbus RTU decoding, the frame gap and the
// view's limit. The defaults are the window's first look.
#pragma once

#include <span>
#include <string>

struct MonitorChoices {
  bool Hex = true;
  bool ShowSends = false;
  bool DecodeModbus = false;
  double FrameGapMs = 0;  // 0: each port's 3.5 character times
  int LimitMb = 4;        // what the rows keep, in MB of text

  bool operator==(const MonitorChoices&) const = default;
};

// The limits the window offers, in MB.
std::span<const int> MonitorLimits();
bool IsMonitorLimit(int Mb);
// A frame gap as typed, in milliseconds: a number above 0 and below a
// minute, the whole text; anything else is 0 (the ports' defaults).
double FrameGapOfText(const std::string& Text);
// The gap as the window shows it ("2.5"); empty for 0.
std::string FrameGapText(double Ms);
