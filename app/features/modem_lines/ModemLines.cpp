// DTR and RTS of each panel, the reset pulse, and the modem-line events
// that keep the counter panel's tool tip current.
#include "ModemLines.h"

#include "Unit1.h"

namespace {

// How long a reset pulse holds DTR and RTS low.
constexpr unsigned kResetPulseMs = 100;

}  // namespace

bool ApplyModemLineChoice(cxComm& Port, const ModemLineChoice& Choice) {
  // From the settings the port was opened with, not from what the device
  // reports back: a pseudo-terminal keeps neither parity nor data bits.
  DCB dcb = Port._Dcb;
  dcb.fDtrControl = Choice.Dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  dcb.fRtsControl = Choice.Rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  if (!SetCommState(Port._hComm, &dcb)) return false;
  Port._Dcb = dcb;
  return true;
}

String ModemLinesText(HANDLE hComm, const ModemLineChoice& Choice) {
  const String outputs =
      String().sprintf("DTR=%d RTS=%d", Choice.Dtr && !Choice.Pulsing ? 1 : 0, Choice.Rts && !Choice.Pulsing ? 1 : 0);
  if (hComm == INVALID_HANDLE_VALUE) return "端口未打开（选定 " + outputs + "）";
  DWORD dwStatus = 0;
  if (!GetCommModemStatus(hComm, &dwStatus)) {
    if (GetLastError() == ERROR_NOT_SUPPORTED) return "此端口没有调制解调器线（选定 " + outputs + "）";
    return "读不到调制解调器线（选定 " + outputs + "）";
  }
  return String().sprintf("CTS=%d DSR=%d RI=%d DCD=%d  ", (dwStatus & MS_CTS_ON) ? 1 : 0,
                          (dwStatus & MS_DSR_ON) ? 1 : 0, (dwStatus & MS_RING_ON) ? 1 : 0,
                          (dwStatus & MS_RLSD_ON) ? 1 : 0) +
         outputs;
}

void TForm1::ApplyModemLines(int Index) {
  if (Channels[Index]._hComm == INVALID_HANDLE_VALUE) return;
  ModemLines[Index].Pulsing = false;
  ApplyModemLineChoice(Channels[Index], ModemLines[Index]);
}

void TForm1::SetDtr(int Index, bool On) {
  ModemLines[Index].Dtr = On;
  const HANDLE hComm = Channels[Index]._hComm;
  // A pulse running puts the choice back when it ends.
  if (hComm != INVALID_HANDLE_VALUE && !ModemLines[Index].Pulsing) EscapeCommFunction(hComm, On ? SETDTR : CLRDTR);
  ShowPanelState(Index);
  SaveSettings();
}

void TForm1::SetRts(int Index, bool On) {
  ModemLines[Index].Rts = On;
  const HANDLE hComm = Channels[Index]._hComm;
  if (hComm != INVALID_HANDLE_VALUE && !ModemLines[Index].Pulsing) EscapeCommFunction(hComm, On ? SETRTS : CLRRTS);
  ShowPanelState(Index);
  SaveSettings();
}

void TForm1::ResetPulse(int Index) {
  const HANDLE hComm = Channels[Index]._hComm;
  if (hComm == INVALID_HANDLE_VALUE || ModemLines[Index].Pulsing) return;
  ModemLines[Index].Pulsing = true;
  EscapeCommFunction(hComm, CLRDTR);
  EscapeCommFunction(hComm, CLRRTS);
  // The lines come back on a timer, so the window keeps running meanwhile.
  ResetPulseTimers[Index]->Interval = kResetPulseMs;
  ResetPulseTimers[Index]->Enabled = true;
  ShowPanelState(Index);
}

void TForm1::EndResetPulse(int Index) {
  ResetPulseTimers[Index]->Enabled = false;
  if (!ModemLines[Index].Pulsing) return;
  ModemLines[Index].Pulsing = false;
  const HANDLE hComm = Channels[Index]._hComm;
  if (hComm != INVALID_HANDLE_VALUE) {
    EscapeCommFunction(hComm, ModemLines[Index].Dtr ? SETDTR : CLRDTR);
    EscapeCommFunction(hComm, ModemLines[Index].Rts ? SETRTS : CLRRTS);
  }
  ShowPanelState(Index);
}

void TForm1::OnModemLineEvent(TMessage& Message) {
  const auto found = PortToPanel.find(static_cast<int>(Message.WParam));
  if (found != PortToPanel.end()) ShowPanelState(found->second);
}
