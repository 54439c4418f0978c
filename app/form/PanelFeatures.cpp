// Each panel's features (app/features): made once the widgets exist, told
// of ticks and opens through their hooks, and asked for their lines of the
// counter panel's tool tip.
#include "Unit1.h"

void TForm1::CreateFeatures() {
  Monitor = std::make_unique<LinkMonitor>(this);
  for (int index = 0; index < 2; ++index) {
    PanelParts& panel = Panels[index];
    // A menu shared by two features lists the first one's items first.
    TimeStamps[index] = std::make_unique<PanelTimeStamps>(panel);
    SendOptions[index] = std::make_unique<PanelSendOptions>(panel);
    Shortcuts[index] = std::make_unique<PanelShortcuts>(panel);
    ModemLines[index] = std::make_unique<PanelModemLines>(panel);
    Captures[index] = std::make_unique<PanelCapture>(panel);
    FileSends[index] = std::make_unique<PanelFileSend>(panel);
    Plotters[index] = std::make_unique<PanelPlotter>(panel);
    Displays[index] = std::make_unique<PanelDisplay>(panel);
    LinkMonitors[index] = std::make_unique<PanelLinkMonitor>(panel, *Monitor);
    WholeSessions[index] = std::make_unique<PanelWholeSession>(panel);
    Finds[index] = std::make_unique<PanelFind>(panel);
    Languages[index] = std::make_unique<PanelLanguage>(panel);
    QuickSends[index] = std::make_unique<PanelQuickSends>(panel);
    LineControls[index] = std::make_unique<PanelLineControl>(panel, *ModemLines[index]);
    NetworkPorts[index] = std::make_unique<PanelNetworkPorts>(panel);
    Features[index] = {TimeStamps[index].get(),    SendOptions[index].get(),  Shortcuts[index].get(),
                       ModemLines[index].get(),    Captures[index].get(),     FileSends[index].get(),
                       Plotters[index].get(),      Displays[index].get(),     LinkMonitors[index].get(),
                       WholeSessions[index].get(), Finds[index].get(),        QuickSends[index].get(),
                       Languages[index].get(),     LineControls[index].get(), NetworkPorts[index].get()};
  }
  Settings = std::make_unique<SettingsFile>(Panels, Features);
}

void TForm1::TellPortOpened(int Index) {
  for (PanelFeature* feature : Features[Index]) feature->PortOpened();
}

void TForm1::UpdateMenuItems(int Index) {
  for (PanelFeature* feature : Features[Index]) feature->ShowState();
}

String TForm1::CounterHint(int Index) const {
  String hint;
  for (const PanelFeature* feature : Features[Index]) {
    const String line = feature->Hint();
    if (line.IsEmpty()) continue;
    hint += hint.IsEmpty() ? line : "\n" + line;
  }
  return hint;
}

void TForm1::RefreshCounterHint(int Index) { StatusBar1->Panels->Items[Index + 1]->Hint = CounterHint(Index); }

void TForm1::ShowPanelState(int Index) {
  RefreshCounterHint(Index);
  UpdateMenuItems(Index);
}

void TForm1::OnModemLineEvent(TMessage& Message) {
  const auto found = PortToPanel.find(static_cast<int>(Message.WParam));
  if (found != PortToPanel.end()) ShowPanelState(found->second);
}
