// The panel as a whole: made with its widgets and channel, its features
// told of ticks and asked for their lines of the counter panel, and what
// its port receives handed to them and to the receive area.
#include "DevicePanel.h"

#include <cstdio>

#include "PanelPorts.h"

DevicePanel::DevicePanel(int Index, TForm* Owner, const PanelWidgets& Widgets, ReadData& Channel, ULONGLONG& SentBytes,
                         ReceiveFrame& Frame)
    : PanelWidgets(Widgets),
      Index(Index),
      Owner(Owner),
      Channel(&Channel),
      SentBytes(&SentBytes),
      Receive(new ReceiveArea(Frame, Widgets.Memo, Widgets.Hex)),
      receive_(Receive),
      reconnectTimer_(new TTimer(Owner)) {
  // One-shot: tries a lost port again while it is busy.
  reconnectTimer_->Enabled = false;
  reconnectTimer_->OnTimer = [this](TObject*) { Reconnect(); };
}

DevicePanel::~DevicePanel() {
  // The timer belongs to the form, which outlives the panel by a moment.
  reconnectTimer_->Enabled = false;
  reconnectTimer_->OnTimer = nullptr;
  features_.clear();
  writer_.Cancel();
}

void DevicePanel::Received(const ReceivedBlock& Block, bool Show) {
  // Every byte a panel receives passes here once, in order, zero bytes
  // included.
  bool held = false;
  for (const std::unique_ptr<PanelFeature>& feature : features_) {
    feature->Received(Block);
    held = held || feature->HoldsReceived();
  }
  if (Show && !held) Receive->Take(Block, TimeStamps);
}

void DevicePanel::Tick() {
  HandOnWritten();
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->Tick();
}

namespace {

// Both figures are at least six places wide and widen as they grow; they
// count on past 2^32.
String CounterLine(int Port, ULONGLONG Sent, ULONGLONG Received) {
  char line[80];
  std::snprintf(line, sizeof line, "COM%d: S:%6llu R:%6llu", Port, static_cast<unsigned long long>(Sent),
                static_cast<unsigned long long>(Received));
  return line;
}

}  // namespace

String DevicePanel::StatusLine(int Port) const {
  if (lost_) return Fill(Tr("StatusBar", "COM%1: 已断开，等待重新连接…"), {IntToStr(Port)});
  String line = CounterLine(Port, *SentBytes, Channel->_dwDelivered.load());
  for (const std::unique_ptr<PanelFeature>& feature : features_) line += feature->Progress();
  return line;
}

void DevicePanel::ShowCounter(int Port) {
  if (Counter == nullptr) return;
  Counter->Text = StatusLine(Port);
  Counter->Hint = CounterHint();
}

String DevicePanel::CounterHint() const {
  String hint;
  for (const std::unique_ptr<PanelFeature>& feature : features_) {
    const String line = feature->Hint();
    if (line.IsEmpty()) continue;
    hint += hint.IsEmpty() ? line : "\n" + line;
  }
  return hint;
}

void DevicePanel::UpdateMenuItems() {
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->ShowState();
}

void DevicePanel::StateChanged() {
  if (Counter != nullptr) Counter->Hint = CounterHint();
  UpdateMenuItems();
}
