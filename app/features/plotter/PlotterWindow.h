// The plotter's window for one panel: a chart of what the panel's recording
// holds, redrawn 25 times a second while new rows come or, on the time axis,
// while the view moves with the clock (never once per line), with the choices of what is in view, pause (the recording
// goes on), a view reset, clearing, and export of the recording as CSV and of the view as PNG. The chart's context menu
// hides and shows each series.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <toolkit/charts.h>
#include <toolkit/toolkit.h>

#include "PlotChoices.h"
#include "PlotCsv.h"
#include "PlotRecording.h"
#include "PlotView.h"

class PlotterWindow {
 public:
  // Choices are the feature's, told by ChoicesChanged when the user changes
  // them; Closed runs when the user closes the window. Now gives the
  // recording's clock: on the time axis the view moves with it.
  PlotterWindow(const String& Caption, PlotRecording& Recording, PlotChoices& Choices,
                std::function<void()> ChoicesChanged, std::function<void()> Closed, std::function<double()> Now);
  ~PlotterWindow();
  PlotterWindow(const PlotterWindow&) = delete;
  PlotterWindow& operator=(const PlotterWindow&) = delete;

  void Show();
  // Closes the window as its close button does.
  void Close();
  bool Showing() const;
  TForm* Form() const { return form_.get(); }
  // Rows were added or the recording cleared: drawn at the next redraw.
  void RecordingChanged() { changed_ = true; }
  bool Paused() const { return paused_; }
  void SetPaused(bool Paused);
  // Redraws in the last whole second.
  int RedrawRate() const { return redrawRate_; }

  // Every recording the export writes, the one shown last (the panel's
  // earlier ports' recordings before it); unset, the one shown alone.
  std::function<std::vector<PlotPart>()> Parts;
  // The user cleared the recording (清除).
  std::function<void()> Cleared;

  // Asks for a file and writes the recording / the view into it.
  void ExportCsv();
  void SavePicture();
  // False, after a message that says why, when the file cannot be written.
  bool ExportCsvTo(const String& FileName);
  bool SavePictureTo(const String& FileName);

 private:
  void MakeControls();
  void MakeChoiceControls(TWinControl* Bar);
  void MakeButtons(TWinControl* Bar);
  void MakeChartMenu();
  void ShowChoices();
  void ReadChoices();
  void ShowAxisTitle();
  void OnTick();
  void Draw();
  PlotRows RowsInView(double Now) const;
  void DrawSeries(PlotRows Rows);
  void SetRanges(PlotRows Rows, double Now);
  void ShowStatus();

  PlotRecording& recording_;
  PlotChoices& choices_;
  std::function<void()> choicesChanged_;
  std::function<void()> closed_;
  std::function<double()> now_;
  std::unique_ptr<TForm> form_;
  TLineChart* chart_ = nullptr;
  TComboBox* axis_ = nullptr;
  TEdit* span_ = nullptr;
  TComboBox* spanUnit_ = nullptr;
  TCheckBox* autoscale_ = nullptr;
  TEdit* min_ = nullptr;
  TEdit* max_ = nullptr;
  TButton* pause_ = nullptr;
  TStatusBar* status_ = nullptr;
  TPopupMenu* chartMenu_ = nullptr;
  TTimer* timer_ = nullptr;

  bool changed_ = true;
  uint64_t drawnGeneration_ = 0;  // the recording's, when the chart's series were made
  bool paused_ = false;
  bool showingChoices_ = false;                 // the controls' change events are the program's own
  std::vector<std::vector<PlotPoint>> points_;  // kept between redraws: no new allocations
  std::vector<TChartPoint> chartPoints_;
  int redraws_ = 0;
  int redrawRate_ = 0;
  std::chrono::steady_clock::time_point rateSince_;
  std::chrono::steady_clock::time_point nextDrawAt_;
  uint64_t drawnValues_ = 0;  // rows times series in the last view drawn
};
