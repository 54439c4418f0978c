#include "FlowControl.h"

#include "cxComm.h"

namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

}  // namespace

bool ApplyFlowControl(cxComm& Port, FlowControl Flow, const ModemLineChoice& Lines) {
  // From the settings the port was opened with, as the modem lines' choice
  // is applied: a pseudo-terminal keeps neither parity nor data bits.
  DCB dcb = Port._Dcb;
  const bool software = Flow == FlowControl::XonXoff;
  dcb.fOutxCtsFlow = Flow == FlowControl::RtsCts ? 1 : 0;
  dcb.fRtsControl = RtsControlOf(Lines);
  dcb.fOutX = software ? 1 : 0;
  dcb.fInX = software ? 1 : 0;
  if (software) {
    dcb.XonChar = kXon;
    dcb.XoffChar = kXoff;
  }
  if (!SetCommState(Port._hComm, &dcb)) return false;
  Port._Dcb = dcb;
  return true;
}

const char* FlowControlKey(FlowControl Flow) {
  switch (Flow) {
    case FlowControl::RtsCts:
      return "rtscts";
    case FlowControl::XonXoff:
      return "xonxoff";
    case FlowControl::None:
      break;
  }
  return "none";
}
