// A panel whose port's device went away: the port is let go (so that the
// device can come back under its own name), the panel shows that it waits,
// and it opens the port again by itself, with the same line settings, once
// a device with the same COM number is back.
#include "Unit1.h"

void TForm1::OnPortLost(TMessage& Message) {
  const auto entry = PortToPanel.find(static_cast<int>(Message.WParam));
  if (entry == PortToPanel.end()) return;  // closed by the user meanwhile
  const int index = entry->second;
  ReadData& channel = Channels[index];
  // A message of an opening that has ended since says nothing of this one.
  if (PanelLost[index] || !channel._bDeviceLost || channel._hComm == INVALID_HANDLE_VALUE) return;

  PanelLost[index] = true;
  // A file being sent cannot go on; a capture goes on after the reconnect.
  CancelFileSend(index);
  // The close hands on every byte received before the loss.
  channel.Close();
  UpdateMenuItems(index);
  Panels[index].Memo->Color = clSilver;
  StatusBar1->Panels->Items[index + 1]->Text = StatusLine(index, entry->first);
}

void TForm1::ReconnectLostPorts() {
  for (int index = 0; index < 2; ++index) {
    if (!PanelLost[index]) continue;
    if (Panels[index].Port->Items->IndexOf("COM" + IntToStr(PanelPort[index])) < 0) continue;
    // A device listed but not openable yet stays waited for.
    if (!OpenChannel(index)) continue;
    PanelLost[index] = false;
    UpdateMenuItems(index);
    Panels[index].Memo->Color = clWindow;
    StatusBar1->Panels->Items[index + 1]->Text = StatusLine(index, PanelPort[index]);
  }
}
