// Opening and closing a panel's port with the line settings chosen in its
// combo boxes.
#include "CannotOpenText.h"
#include "OpenFailureCause.h"
#include "PortNumberText.h"
#include "Unit1.h"

void TForm1::Button1Click(TObject*) { OpenOrClosePort(0); }
void TForm1::Button6Click(TObject*) { OpenOrClosePort(1); }

void TForm1::OpenOrClosePort(int Index) {
  TButton* button = Panels[Index].OpenClose;
  button->Enabled = false;
  try {
    if (button->Caption == Tr("PortPanel", "打开"))
      OpenPort(Index);
    else
      ClosePort(Index);
  } catch (...) {
    // A port text that is not a number raises the conversion error, which
    // the application shows; the button must stay usable.
    button->Enabled = true;
    throw;
  }
  button->Enabled = true;
}

void TForm1::OpenPort(int Index) {
  PanelParts& panel = Panels[Index];

  // The whole number after "COM"; any other text is the conversion error
  // that the application shows. A number outside 1..1024 is tried, and
  // reported as a port that cannot be opened.
  int number = 0;
  if (!PortNumberOf(panel.Port->Text, number))
    throw EConvertError("'" + panel.Port->Text + "' is not a valid integer value");
  PanelPort[Index] = number;

  // The other panel holds this number also while it waits for its device
  // to come back: the device is free then, the number is not.
  const auto holder = PortToPanel.find(PanelPort[Index]);
  if (holder != PortToPanel.end() && holder->second != Index) {
    ShowMessage(CannotOpenText(panel.Port->Text, OtherPanelHoldsThePort()));
    return;
  }
  // A port whose settings were refused is closed again by the open.
  if (!OpenChannel(Index)) {
    const DWORD openError = GetLastError();
    const ReadData& channel = Channels[Index];
    const TrMessage cause = channel._dwRefusedSettings != 0
                                ? RefusedSettingsCause(SettingsTexts(Index), channel._dwRefusedSettings)
                                : OpenFailureCause(openError);
    LogOpenFailure(panel.Port->Text, cause);
    ShowMessage(CannotOpenText(panel.Port->Text, cause));
    return;
  }
  UpdateMenuItems(Index);
  LogOpenRemark(panel.Port->Text);
  panel.OpenClose->Caption = Tr("PortPanel", "关闭");
  SetSettingsEnabled(Index, false);
  panel.Memo->Color = clWindow;
  PortToPanel.emplace(PanelPort[Index], Index);
  Settings->Save();  // settings that opened a port are worth keeping
}

LineSettingsTexts TForm1::SettingsTexts(int Index) const {
  const PanelParts& panel = Panels[Index];
  return {panel.Baud->Text, panel.Parity->Text, panel.DataBits->Text, panel.StopBits->Text};
}

bool TForm1::OpenChannel(int Index) {
  ReadData& channel = Channels[Index];
  const LineSettingsTexts texts = SettingsTexts(Index);
  const AnsiString settings(LineSettingsText(texts.Baud, texts.Parity, texts.DataBits, texts.StopBits));
  // Modem-line events come to this window too; set before the watcher
  // starts.
  channel._hNotifyWnd = Handle;
  SetLastError(ERROR_FILE_NOT_FOUND);  // a number out of range fails before any device is tried
  channel.Open(static_cast<DWORD>(PanelPort[Index]), settings.c_str());
  // GetLastError keeps telling the caller why the open failed: nothing
  // below sets it.
  channel._hTargetWnd = Handle;
  if (channel._hComm == INVALID_HANDLE_VALUE) return false;
  // Every opening, the user's and a reconnect's, is told to the features:
  // DTR and RTS are driven as the panel chose them, since a board wired for
  // a DTR reset must not be reset by a replug while the panel shows DTR off.
  TellPortOpened(Index);
  return true;
}

void TForm1::ClosePort(int Index) {
  PanelParts& panel = Panels[Index];
  EndPortWork(Index);
  UpdateMenuItems(Index);
  panel.Memo->Color = clSilver;
  panel.OpenClose->Caption = Tr("PortPanel", "打开");
  SetSettingsEnabled(Index, true);
  PanelLost[Index] = false;
  ReconnectTimers[Index]->Enabled = false;
  // Only this panel's own entry: the number may be the other panel's.
  const auto entry = PortToPanel.find(PanelPort[Index]);
  if (entry != PortToPanel.end() && entry->second == Index) PortToPanel.erase(entry);
  PanelPort[Index] = -1;
}

void TForm1::SetSettingsEnabled(int Index, bool Enabled) {
  PanelParts& panel = Panels[Index];
  for (TComboBox* box : {panel.Port, panel.Baud, panel.Parity, panel.DataBits, panel.StopBits}) box->Enabled = Enabled;
}

void TForm1::EndPortWork(int Index) {
  FileSends[Index]->Cancel();
  LineControls[Index]->PortClosing();
  ReadData& channel = Channels[Index];
  if (channel._hComm == INVALID_HANDLE_VALUE) {
    Captures[Index]->Stop();
    return;
  }
  // The close posts everything the port received, the last block marked;
  // a capture takes those blocks too and ends with the last.
  channel.Close();
  Captures[Index]->StopAfterLastBlock();
  ShowPanelState(Index);
}
