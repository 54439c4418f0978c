// Putting a DTR and RTS choice into a port, and telling its modem lines.
#include "ModemLines.h"

#include "cxComm.h"

DWORD RtsControlOf(const ModemLineChoice& Choice) {
  if (Choice.RtsByFlow) return RTS_CONTROL_HANDSHAKE;
  return Choice.Rts ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
}

bool ApplyModemLineChoice(cxComm& Port, const ModemLineChoice& Choice) {
  // From the settings the port was opened with, not from what the device
  // reports back: a pseudo-terminal keeps neither parity nor data bits.
  DCB dcb = Port._Dcb;
  dcb.fDtrControl = Choice.Dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RtsControlOf(Choice);
  if (!SetCommState(Port._hComm, &dcb)) return false;
  Port._Dcb = dcb;
  return true;
}

String ModemLinesText(HANDLE hComm, const ModemLineChoice& Choice) {
  // Under RTS/CTS flow control the driver drives RTS, not the choice.
  const String outputs = Choice.RtsByFlow
                             ? String().sprintf("DTR=%d RTS=RTS/CTS", Choice.Dtr && !Choice.Pulsing ? 1 : 0)
                             : String().sprintf("DTR=%d RTS=%d", Choice.Dtr && !Choice.Pulsing ? 1 : 0,
                                                Choice.Rts && !Choice.Pulsing ? 1 : 0);
  if (hComm == INVALID_HANDLE_VALUE) return Fill(Tr("ModemLines", "端口未打开（选定 %1）"), {outputs});
  DWORD dwStatus = 0;
  if (!GetCommModemStatus(hComm, &dwStatus)) {
    if (GetLastError() == ERROR_NOT_SUPPORTED)
      return Fill(Tr("ModemLines", "此端口没有调制解调器线（选定 %1）"), {outputs});
    return Fill(Tr("ModemLines", "读不到调制解调器线（选定 %1）"), {outputs});
  }
  return String().sprintf("CTS=%d DSR=%d RI=%d DCD=%d  ", (dwStatus & MS_CTS_ON) ? 1 : 0,
                          (dwStatus & MS_DSR_ON) ? 1 : 0, (dwStatus & MS_RING_ON) ? 1 : 0,
                          (dwStatus & MS_RLSD_ON) ? 1 : 0) +
         outputs;
}
