// A panel whose port's device went away: the port is let go (so that the
// device can come back under its own name), the panel shows that it waits,
// and it opens the port again by itself, with the same line settings, once
// a device with the same COM number is back; a device back but held by
// another program for a moment is tried again until it opens.
#include <algorithm>

#include "Unit1.h"

void TForm1::OnPortLost(TMessage& Message) {
  const auto entry = PortToPanel.find(static_cast<int>(Message.WParam));
  if (entry == PortToPanel.end()) return;  // closed by the user meanwhile
  const int index = entry->second;
  ReadData& channel = Channels[index];
  // A message of an opening that has ended since says nothing of this one.
  if (PanelLost[index] || !channel._bDeviceLost || channel._hComm == INVALID_HANDLE_VALUE) return;

  PanelLost[index] = true;
  ReconnectDelayMs[index] = 0;
  // A file being sent cannot go on; a capture goes on after the reconnect.
  FileSends[index]->Cancel();
  LineControls[index]->PortClosing();
  // The close hands on every byte received before the loss.
  channel.Close();
  UpdateMenuItems(index);
  Panels[index].Memo->Color = clSilver;
  StatusBar1->Panels->Items[index + 1]->Text = StatusLine(index, entry->first);
}

namespace {

// A device that comes back busy (ModemManager probes each new modem-like
// port for a few seconds) or not yet open to this user (udev gives a new
// device node its group a moment after it appears) is tried again: soon at
// first, then less often, for as long as the panel waits.
constexpr unsigned kFirstRetryMs = 200;
constexpr unsigned kLongestRetryMs = 2000;

bool MayOpenLater(DWORD Error) { return Error == ERROR_SHARING_VIOLATION || Error == ERROR_ACCESS_DENIED; }

}  // namespace

void TForm1::ReconnectLostPorts() {
  for (int index = 0; index < 2; ++index) ReconnectLostPort(index);
}

void TForm1::ReconnectLostPort(int Index) {
  ReconnectTimers[Index]->Enabled = false;
  if (!PanelLost[Index]) return;
  if (Panels[Index].Port->Items->IndexOf("COM" + IntToStr(PanelPort[Index])) < 0) return;
  if (!OpenChannel(Index)) {
    // A device listed but not openable yet stays waited for; one that
    // refuses for a moment only is asked again without a device change.
    if (MayOpenLater(GetLastError())) RetryReconnectLater(Index);
    return;
  }
  PanelLost[Index] = false;
  ReconnectDelayMs[Index] = 0;
  UpdateMenuItems(Index);
  Panels[Index].Memo->Color = clWindow;
  StatusBar1->Panels->Items[Index + 1]->Text = StatusLine(Index, PanelPort[Index]);
}

void TForm1::RetryReconnectLater(int Index) {
  unsigned& delay = ReconnectDelayMs[Index];
  delay = delay == 0 ? kFirstRetryMs : std::min(2 * delay, kLongestRetryMs);
  ReconnectTimers[Index]->Interval = delay;
  ReconnectTimers[Index]->Enabled = true;
}
