// Opening and closing a panel's port with the line settings chosen in its
// combo boxes; and a port whose device went away: let go (so that the
// device can come back under its own name), shown as waited for, and opened
// again by itself, with the same line settings, once a device with the same
// COM number is back; a device back but held by another program for a
// moment is tried again until it opens.
#include <algorithm>

#include "CannotOpenText.h"
#include "DevicePanel.h"
#include "OpenFailureCause.h"
#include "PanelPorts.h"
#include "PortNumberText.h"

void DevicePanel::OpenOrClose() {
  OpenClose->Enabled = false;
  try {
    if (OpenClose->Caption == Tr("PortPanel", "打开"))
      OpenPort();
    else
      ClosePort();
  } catch (...) {
    // A port text that is not a number raises the conversion error, which
    // the application shows; the button must stay usable.
    OpenClose->Enabled = true;
    throw;
  }
  OpenClose->Enabled = true;
}

void DevicePanel::OpenPort() {
  const String refusal = TryOpenPort();
  if (!refusal.IsEmpty()) ShowMessage(refusal);
}

String DevicePanel::OpenSilently() {
  try {
    return TryOpenPort();
  } catch (const EConvertError& error) {
    return error.Message;
  }
}

String DevicePanel::TryOpenPort() {
  // The whole number after "COM"; any other text is the conversion error
  // that the application shows. A number outside 1..1024 is tried, and
  // reported as a port that cannot be opened.
  int number = 0;
  if (!PortNumberOf(Port->Text, number)) throw EConvertError("'" + Port->Text + "' is not a valid integer value");
  PanelPort[Index] = number;

  // The other panel holds this number also while it waits for its device
  // to come back: the device is free then, the number is not.
  const auto holder = PortToPanel.find(PanelPort[Index]);
  if (holder != PortToPanel.end() && holder->second != Index)
    return CannotOpenText(Port->Text, OtherPanelHoldsThePort());
  // A port whose settings were refused is closed again by the open.
  if (!OpenChannel()) {
    const DWORD openError = GetLastError();
    const TrMessage cause = Channel->_dwRefusedSettings != 0
                                ? RefusedSettingsCause({Baud->Text, Parity->Text, DataBits->Text, StopBits->Text},
                                                       Channel->_dwRefusedSettings)
                                : OpenFailureCause(openError);
    LogOpenFailure(Port->Text, cause);
    return CannotOpenText(Port->Text, cause);
  }
  UpdateMenuItems();
  LogOpenRemark(Port->Text);
  OpenClose->Caption = Tr("PortPanel", "关闭");
  SetSettingsEnabled(false);
  Memo->Color = clWindow;
  PortToPanel.emplace(PanelPort[Index], Index);
  if (ChoicesChanged) ChoicesChanged();  // settings that opened a port are worth keeping
  return String();
}

bool DevicePanel::OpenChannel() {
  const AnsiString settings(LineSettingsText(Baud->Text, Parity->Text, DataBits->Text, StopBits->Text));
  // Modem-line events come to the window too; set before the watcher
  // starts.
  const HWND window = Owner->Handle;
  Channel->_hNotifyWnd = window;
  SetLastError(ERROR_FILE_NOT_FOUND);  // a number out of range fails before any device is tried
  Channel->Open(static_cast<DWORD>(PanelPort[Index]), settings.c_str());
  // GetLastError keeps telling the caller why the open failed: nothing
  // below sets it.
  Channel->_hTargetWnd = window;
  if (!PortOpen()) return false;
  // Every opening, the user's and a reconnect's, is told to the features:
  // DTR and RTS are driven as the panel chose them, since a board wired for
  // a DTR reset must not be reset by a replug while the panel shows DTR off.
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->PortOpened();
  return true;
}

void DevicePanel::ClosePort() {
  EndPortWork(PortCloseReason::User);
  UpdateMenuItems();
  Memo->Color = clSilver;
  OpenClose->Caption = Tr("PortPanel", "打开");
  SetSettingsEnabled(true);
  lost_ = false;
  reconnectTimer_->Enabled = false;
  // Only this panel's own entry: the number may be the other panel's.
  const auto entry = PortToPanel.find(PanelPort[Index]);
  if (entry != PortToPanel.end() && entry->second == Index) PortToPanel.erase(entry);
  PanelPort[Index] = -1;
}

void DevicePanel::SetSettingsEnabled(bool Enabled) {
  for (TComboBox* box : {Port, Baud, Parity, DataBits, StopBits}) box->Enabled = Enabled;
}

void DevicePanel::EndPortWork(PortCloseReason Reason) {
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->PortClosing(Reason);
  // What the writer had not sent goes no more; what it sent is handed on.
  writer_.Cancel();
  HandOnWritten();
  const bool wasOpen = PortOpen();
  // The close posts everything the port received, the last block marked.
  if (wasOpen) Channel->Close();
  for (const std::unique_ptr<PanelFeature>& feature : features_) feature->PortClosed(Reason, wasOpen);
  if (wasOpen) StateChanged();
}

void DevicePanel::PortLost() {
  // A message of an opening that has ended since says nothing of this one.
  if (lost_ || !Channel->_bDeviceLost || !PortOpen()) return;
  lost_ = true;
  reconnectDelayMs_ = 0;
  // What runs on the port cannot go on; a capture goes on after the
  // reconnect. The close hands on every byte received before the loss.
  EndPortWork(PortCloseReason::Lost);
  UpdateMenuItems();
  Memo->Color = clSilver;
  ShowCounter(PanelPort[Index]);
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

void DevicePanel::Reconnect() {
  reconnectTimer_->Enabled = false;
  if (!lost_) return;
  if (Port->Items->IndexOf("COM" + IntToStr(PanelPort[Index])) < 0) return;
  if (!OpenChannel()) {
    // A device listed but not openable yet stays waited for; one that
    // refuses for a moment only is asked again without a device change.
    if (MayOpenLater(GetLastError())) RetryReconnectLater();
    return;
  }
  lost_ = false;
  reconnectDelayMs_ = 0;
  UpdateMenuItems();
  Memo->Color = clWindow;
  ShowCounter(PanelPort[Index]);
}

void DevicePanel::RetryReconnectLater() {
  reconnectDelayMs_ = reconnectDelayMs_ == 0 ? kFirstRetryMs : std::min(2 * reconnectDelayMs_, kLongestRetryMs);
  reconnectTimer_->Interval = reconnectDelayMs_;
  reconnectTimer_->Enabled = true;
}
