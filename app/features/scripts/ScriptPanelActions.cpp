// What a script does to a panel, on the window thread through the panel's
// own paths: sends (the panel's one send path, after what its writer still
// has), files, opening and closing, line settings, modem lines, breaks
// and the reset pulse, the counters.
#include "DevicePanel.h"
#include "FileErrorText.h"
#include "ScriptError.h"
#include "ScriptSession.h"

void ScriptSession::Send(int Panel, PanelSend Message) {
  if (Message.Text.IsEmpty() && Message.Bytes.empty()) return;
  // A send behind one the writer still paces waits for it: the writer's
  // queue never fills with a script's sends.
  for (;;) {
    bool busy = false;
    OnPanel(Panel, PortUse::Open, [&](DevicePanel& panel) {
      busy = panel.Writer().Busy();
      if (busy) return;
      if (panel.Send(Message) == 0 && !panel.Writer().Busy())
        throw ScriptError(Tr("Scripts", "端口没有收下要发送的数据（输出队列已满，或设备已断开）"));
    });
    if (!busy) return;
    Sleep(2);
  }
}

void ScriptSession::SendFile(int Panel, const std::string& FileName) {
  WaitWhile(Panel, [](DevicePanel& panel) { return panel.Writer().Busy(); });
  OnPanel(Panel, PortUse::Open, [&](DevicePanel& panel) {
    const DWORD error = panel.SendFile(String(FileName));
    if (error != ERROR_SUCCESS)
      throw ScriptError(Fill(Tr("Scripts", "不能发送文件 %1：%2"), {String(FileName), FileErrorText(error)}));
  });
  WaitWhile(Panel, [](DevicePanel& panel) { return panel.Writer().File().Running; });
  DWORD result = ERROR_SUCCESS;
  OnPanel(Panel, PortUse::Unchanged, [&](DevicePanel& panel) { result = panel.Writer().File().Result; });
  if (result != ERROR_SUCCESS)
    throw ScriptError(Fill(Tr("Scripts", "文件 %1 没有发送完：%2"), {String(FileName), FileErrorText(result)}));
}

void ScriptSession::Open(int Panel) {
  OnPanel(Panel, PortUse::OpenOrClose, [](DevicePanel& panel) {
    if (panel.PortOpen()) return;
    if (panel.Lost()) throw ScriptError(Tr("Scripts", "端口的设备已断开，面板正在等它重新连接"));
    const String refusal = panel.OpenSilently();
    if (!refusal.IsEmpty()) throw ScriptError(refusal);
  });
}

void ScriptSession::Close(int Panel) {
  OnPanel(Panel, PortUse::OpenOrClose, [](DevicePanel& panel) {
    if (panel.PortOpen() || panel.Lost()) panel.OpenOrClose();
  });
}

bool ScriptSession::IsOpen(int Panel) {
  bool open = false;
  OnPanel(Panel, PortUse::Unchecked, [&](DevicePanel& panel) { open = panel.PortOpen(); });
  return open;
}

namespace {

// The parity box's item for the letter ("E (偶)"); its text as it is when
// no item starts with it.
void ChooseParity(TComboBox* Box, char Letter) {
  for (int n = 0; n < Box->Items->Count; ++n)
    if (String(Box->Items->Strings[n]).Utf8().starts_with(Letter)) {
      Box->ItemIndex = n;
      return;
    }
  Box->Text = String(std::string(1, Letter));
}

BYTE ParityOf(char Letter) {
  switch (Letter) {
    case 'O':
      return ODDPARITY;
    case 'E':
      return EVENPARITY;
    case 'M':
      return MARKPARITY;
    case 'S':
      return SPACEPARITY;
    default:
      return NOPARITY;
  }
}

}  // namespace

void ScriptSession::SetLine(int Panel, const LineSettings& Settings) {
  OnPanel(Panel, PortUse::Unchanged, [&](DevicePanel& panel) {
    if (panel.PortOpen()) {
      // The open port takes them at once, as it is: no reopening, which
      // would drop DTR and could reset the board.
      DCB dcb = panel.Channel->_Dcb;
      if (Settings.Baud > 0) dcb.BaudRate = static_cast<DWORD>(Settings.Baud);
      if (Settings.Parity != 0) {
        dcb.Parity = ParityOf(Settings.Parity);
        dcb.fParity = dcb.Parity != NOPARITY;
      }
      if (Settings.DataBits > 0) dcb.ByteSize = static_cast<BYTE>(Settings.DataBits);
      if (Settings.StopBits > 0) dcb.StopBits = Settings.StopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
      if (!SetCommState(panel.Channel->_hComm, &dcb))
        throw ScriptError(Fill(Tr("Scripts", "端口不接受这些线路设置（错误代码 %1）"), {IntToStr(GetLastError())}));
      panel.Channel->_Dcb = dcb;
    }
    // The boxes say what the port runs with, and open it so next time.
    if (Settings.Baud > 0) panel.Baud->Text = IntToStr(Settings.Baud);
    if (Settings.Parity != 0) ChooseParity(panel.Parity, Settings.Parity);
    if (Settings.DataBits > 0) panel.DataBits->Text = IntToStr(Settings.DataBits);
    if (Settings.StopBits > 0) panel.StopBits->Text = IntToStr(Settings.StopBits);
    if (Settings.Flow >= 0 && !controls_[Panel].SetFlow(Settings.Flow))
      throw ScriptError(Tr("Scripts", "端口不接受这种流控"));
  });
}

void ScriptSession::SetDtr(int Panel, bool On) {
  OnPanel(Panel, PortUse::Unchanged, [&](DevicePanel&) { controls_[Panel].SetDtr(On); });
}

void ScriptSession::SetRts(int Panel, bool On) {
  OnPanel(Panel, PortUse::Unchanged, [&](DevicePanel&) {
    if (!controls_[Panel].SetRts(On)) throw ScriptError(Tr("Scripts", "RTS 由硬件流控 RTS/CTS 驱动，不能直接设置"));
  });
}

void ScriptSession::SendBreak(int Panel, int Ms) {
  OnPanel(Panel, PortUse::Open, [&](DevicePanel&) {
    if (!controls_[Panel].StartBreak(Ms)) throw ScriptError(Tr("Scripts", "现在不能发送中断"));
  });
  WaitWhile(Panel, [this, Panel](DevicePanel&) { return controls_[Panel].BreakOn(); });
}

void ScriptSession::ResetPulse(int Panel) {
  OnPanel(Panel, PortUse::Open, [&](DevicePanel&) {
    if (!controls_[Panel].StartResetPulse())
      throw ScriptError(Tr("Scripts", "现在不能发出复位脉冲（RTS 由硬件流控驱动时不能）"));
  });
  WaitWhile(Panel, [this, Panel](DevicePanel&) { return controls_[Panel].Pulsing(); });
}

void ScriptSession::Counters(int Panel, ULONGLONG& Sent, ULONGLONG& Received) {
  OnPanel(Panel, PortUse::Unchecked, [&](DevicePanel& panel) {
    Sent = *panel.SentBytes;
    Received = panel.Channel->_dwDelivered.load();
  });
}
