// The plotter of a panel (绘图 in its receive area's context menu): while
// its window is open, every line the panel receives is read for numbers and
// recorded, and the window plots them. Closing the window ends the
// recording and gives its memory back; nothing is read while it is closed.
//
// A line is taken when its line ending arrives. A last line the device
// leaves without an ending is taken once nothing more has come for a second,
// and when the port closes: a device that prints one value and stops still
// shows it, while a line that arrives in pieces close together stays whole.
//
// A line's time is when it arrived. The port's bytes come in deliveries of
// up to 100 ms; the lines of one delivery are given times spread evenly over
// the time since the one before (at most 100 ms), the last one the
// delivery's own, so that a line-a-millisecond device does not plot as
// steps.
//
// A recording is of one port: when the panel opens another port while the
// window is open, a new recording starts (its series, sample numbers and
// times afresh) and the window shows it; the earlier ones are kept as they
// were until the window closes or is cleared, and the export writes them
// all.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "PanelFeature.h"
#include "PlotChoices.h"
#include "PlotCsv.h"
#include "PlotLineSplitter.h"
#include "PlotRecording.h"

class PlotterWindow;

class PanelPlotter : public PanelFeature {
 public:
  explicit PanelPlotter(DevicePanel& Panel);
  ~PanelPlotter() override;

  // Shows the window, starting a recording when none runs.
  void Open();
  bool Recording() const { return recording_; }
  const PlotRecording& Record() const { return record_; }
  PlotterWindow* Window() const { return window_.get(); }

  void PortOpened() override;
  void Received(const ReceivedBlock& Block) override;
  void Tick() override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const Item;

 private:
  // A line, or a part of an overlong one, as the splitter hands it on.
  void TakePart(std::string_view Part, bool LineEnds);
  void RecordLines(double Arrival);
  void Closed();
  std::string PortName() const;
  // The recordings to export, earlier ports' first.
  std::vector<PlotPart> Parts() const;
  double Now() const;

  PlotChoices choices_;
  PlotRecording record_;
  std::string port_;  // the port record_ is of
  struct EarlierRecording {
    std::string Port;
    std::unique_ptr<PlotRecording> Recording;
  };
  std::vector<EarlierRecording> earlier_;
  PlotLineSplitter lines_;
  PlotLineReader reader_;  // the line being read
  std::unique_ptr<PlotterWindow> window_;
  bool recording_ = false;
  std::chrono::steady_clock::time_point start_;
  std::vector<PlotLine> arrived_;  // the lines of the delivery being read
  double lastArrival_ = 0;         // of the delivery before, in seconds from the start
  int quietTicks_ = 0;             // ticks since the last block, while a line is open
};
