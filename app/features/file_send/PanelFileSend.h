// Sending a file as it is (原始, the first of the send line's ways of
// sending a file; the file transfer protocols follow it in that submenu).
// The file goes through the panel's writer, as every send of the panel does
// (paced when pacing is chosen, echoed when sends are shown, counted in S:
// as the line takes it); its progress follows the counter line and shows in
// the counter panel's tool tip, and the same item cancels it.
#pragma once

#include "PanelFeature.h"

class PanelFileSend : public PanelFeature {
 public:
  explicit PanelFileSend(DevicePanel& Panel);

  bool Running() const;
  // Asks for a file and sends it, or cancels the sending that runs.
  void SendOrCancel();
  // Nothing while the port is closed or a sending runs; a file that cannot
  // be read is told in a message.
  void Start(const String& FileName);
  // Stops a sending; the bytes it sent are counted.
  void Cancel();

  // Tells when a sending ended otherwise than as asked.
  void Tick() override;
  // A port lost under a sending cuts it short: the user is told how much
  // went.
  void PortClosing(PortCloseReason Reason) override;
  void ShowState() override;
  String Hint() const override;
  // " 37%" while a file is sent.
  String Progress() const override;

  TMenuItem* const SendFileItem;

 private:
  // Tells how a sending that did not end as asked ended.
  void TellEnd(DWORD Result);

  bool _bStarted = false;
  bool _bPortLost = false;
  String _FileName;
};
