// Sending a file through a panel's port from its send line's context menu:
// its progress after the counter line and in the counter panel's tool tip,
// a cancel, and its bytes counted in S:.
#pragma once

#include "FileSender.h"
#include "PanelFeature.h"

class PanelFileSend : public PanelFeature {
 public:
  explicit PanelFileSend(PanelParts& Panel);

  bool Running() const { return _Sender.Running(); }
  // Asks for a file and sends it, or cancels the sending that runs.
  void SendOrCancel();
  // Nothing while the port is closed or a sending runs; a file that cannot
  // be read is told in a message.
  void Start(const String& FileName);
  // Stops a sending (the port closes or its device went); its bytes sent
  // are counted.
  void Cancel();
  // " 37%" while a file is sent, else empty; follows the counter line.
  String Progress() const;

  // Counts what went since the last tick, and tells when a sending ended.
  void Tick() override;
  void ShowState() override;
  String Hint() const override;

  TMenuItem* const SendFileItem;

 private:
  FileSender _Sender;
  bool _bStarted = false;
  String _FileName;
};
