#include "PanelPlotter.h"

#include <algorithm>

#include "DevicePanel.h"
#include "MenuItems.h"
#include "PlotterWindow.h"
#include "ReceivedBlock.h"

namespace {

// Ticks of 100 ms without a byte after which an open line is taken.
constexpr int kQuietTicksBeforeFlush = 10;
// The longest time between two deliveries of a port that keeps sending.
constexpr double kDeliverySeconds = 0.1;

}  // namespace

PanelPlotter::PanelPlotter(DevicePanel& Panel)
    : PanelFeature(Panel), Item(NewItem(Panel.Owner, Tr("Plotter", "绘图…"), 0, [this](TObject*) { Open(); })) {
  AddMenuItems(Panel.Owner, Panel.Memo, {Item});
}

PanelPlotter::~PanelPlotter() = default;

void PanelPlotter::Open() {
  if (!window_) {
    window_ = std::make_unique<PlotterWindow>(
        Fill(Tr("Plotter", "绘图 - 设备%1"), {String(std::to_string(Panel.Index + 1))}), record_, choices_,
        [this] { Panel.ChoicesChanged(); }, [this] { Closed(); }, [this] { return Now(); });
    window_->Parts = [this] { return Parts(); };
    window_->Cleared = [this] { earlier_.clear(); };
  }
  if (!recording_) {
    record_.Clear();
    port_ = PortName();
    lines_.Clear();
    reader_.End();
    start_ = std::chrono::steady_clock::now();
    lastArrival_ = 0;
    recording_ = true;
  }
  window_->Show();
}

void PanelPlotter::Closed() {
  recording_ = false;
  record_.Clear();
  earlier_.clear();
  lines_.Clear();
  reader_.End();
  window_->SetPaused(false);
}

std::string PanelPlotter::PortName() const { return Panel.Port ? Panel.Port->Text.Get().Utf8() : std::string(); }

std::vector<PlotPart> PanelPlotter::Parts() const {
  std::vector<PlotPart> parts;
  for (const EarlierRecording& earlier : earlier_) parts.push_back({earlier.Port, earlier.Recording.get()});
  parts.push_back({port_, &record_});
  return parts;
}

void PanelPlotter::PortOpened() {
  const std::string port = PortName();
  if (!recording_ || port == port_) return;
  // Another device: its lines are not the earlier one's series.
  if (record_.RowCount() > 0) earlier_.push_back({port_, record_.TakeRows()});
  record_.Clear();
  lines_.Clear();
  reader_.End();
  arrived_.clear();
  start_ = std::chrono::steady_clock::now();
  lastArrival_ = 0;
  port_ = port;
  window_->RecordingChanged();
}

double PanelPlotter::Now() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void PanelPlotter::Received(const ReceivedBlock& Block) {
  if (!recording_) return;
  quietTicks_ = 0;
  const auto take = [this](std::string_view Part, bool LineEnds) { TakePart(Part, LineEnds); };
  lines_.Take(std::string_view(reinterpret_cast<const char*>(Block.Bytes), Block.dwCount), take);
  if (Block.bLast) lines_.Flush(take);
  RecordLines(Now());
}

void PanelPlotter::Tick() {
  if (!recording_ || !lines_.Open()) return;
  if (++quietTicks_ < kQuietTicksBeforeFlush) return;
  lines_.Flush([this](std::string_view Part, bool LineEnds) { TakePart(Part, LineEnds); });
  RecordLines(Now());
}

void PanelPlotter::TakePart(std::string_view Part, bool LineEnds) {
  reader_.Take(Part);
  if (!LineEnds) return;
  PlotLine line = reader_.End();
  record_.Ignore(line.TooLarge + line.Beyond);
  if (!line.Values.empty()) arrived_.push_back(std::move(line));
}

void PanelPlotter::RecordLines(double Arrival) {
  const double spread = std::clamp(Arrival - lastArrival_, 0.0, kDeliverySeconds);
  lastArrival_ = Arrival;
  const size_t count = arrived_.size();
  for (size_t i = 0; i < count; ++i)
    record_.Add(Arrival - spread * static_cast<double>(count - 1 - i) / static_cast<double>(count), arrived_[i].Values);
  if (count > 0) window_->RecordingChanged();
  arrived_.clear();
}

void PanelPlotter::LoadChoices(TIniFile& Ini, const String& Section) {
  PlotChoices read;
  read.Axis = Ini.ReadString(Section, "PlotAxis", "Time") == "Sample" ? PlotXAxis::kSample : PlotXAxis::kTime;
  read.SpanInSeconds = Ini.ReadBool(Section, "PlotSpanInSeconds", false);
  read.Autoscale = Ini.ReadBool(Section, "PlotAutoscale", true);
  double value = 0, high = 0;
  // A damaged value leaves the default.
  if (ReadPlotNumber(Ini.ReadString(Section, "PlotSpan", "").Utf8(), value) && ValidSpan(value, read.SpanInSeconds))
    read.Span = value;
  else
    read.Span = read.SpanInSeconds ? 10 : 500;
  if (ReadPlotNumber(Ini.ReadString(Section, "PlotMin", "").Utf8(), value) &&
      ReadPlotNumber(Ini.ReadString(Section, "PlotMax", "").Utf8(), high) && ValidRange(value, high)) {
    read.Min = value;
    read.Max = high;
  }
  choices_ = read;
}

void PanelPlotter::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "PlotAxis", choices_.Axis == PlotXAxis::kSample ? "Sample" : "Time");
  Ini.WriteBool(Section, "PlotSpanInSeconds", choices_.SpanInSeconds);
  Ini.WriteString(Section, "PlotSpan", String(PlotNumberText(choices_.Span)));
  Ini.WriteBool(Section, "PlotAutoscale", choices_.Autoscale);
  Ini.WriteString(Section, "PlotMin", String(PlotNumberText(choices_.Min)));
  Ini.WriteString(Section, "PlotMax", String(PlotNumberText(choices_.Max)));
}
