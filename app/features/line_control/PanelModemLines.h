// DTR and RTS of a panel's port as chosen in the panel's own context menu
// (applied at once while the port is open and at each open, remembered),
// the reset pulse that drops both for 100 ms, and the modem lines' state in
// the counter panel's tool tip.
#pragma once

#include "ModemLines.h"
#include "PanelFeature.h"

class PanelModemLines : public PanelFeature {
 public:
  explicit PanelModemLines(DevicePanel& Panel);

  const ModemLineChoice& Choice() const { return _Choice; }
  void SetDtr(bool On);
  void SetRts(bool On);
  // RTS/CTS flow control drives RTS (or no longer does): the RTS choice and
  // the reset pulse are off meanwhile, and the choice is kept for after.
  // The port's settings follow with the flow control's.
  void SetRtsByFlow(bool ByFlow);
  // Nothing while the port is closed or a pulse runs.
  void ResetPulse();

  // The choice goes into the port's settings; a pulse cut short by a close
  // is over.
  void PortOpened() override;
  void ShowState() override;
  String Hint() const override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const DtrItem;
  TMenuItem* const RtsItem;
  TMenuItem* const ResetPulseItem;

 private:
  void EndResetPulse();

  ModemLineChoice _Choice;
  TTimer* const _PulseTimer;
};
