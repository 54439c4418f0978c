// A panel's part in the link monitor: the 链路监视 item of its receive
// area's menu (Ctrl+M on the first panel's, which reaches it from anywhere
// in the window), its deliveries and sends copied into the monitor's
// record, its port's line settings as the default frame gap, and its
// encoding as the one its port's text rows are read in. The
// first panel's also remembers the monitor's choices, in a section of
// their own (they are the window's, not a panel's).
#pragma once

#include <memory>

#include "LinkMonitor.h"
#include "PanelFeature.h"

class PanelLinkMonitor : public PanelFeature {
 public:
  // Both panels' parts share the monitor; it goes with the last of them.
  PanelLinkMonitor(DevicePanel& Panel, std::shared_ptr<LinkMonitor> Shared);

  void Tick() override;
  void PortOpened() override;
  void Received(const ReceivedBlock& Block) override;
  void Sent(const BYTE* Bytes, DWORD Count) override;
  void BreakSent(int Ms) override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  static constexpr const char* kSection = "LinkMonitor";

  LinkMonitor& Monitor;

 private:
  std::string PortName() const;
  // The port's control lines now: CTS, DSR, RI and DCD as the device
  // reports them, DTR and RTS as the panel set them.
  BYTE Lines() const;

  const std::shared_ptr<LinkMonitor> _Shared;
};
