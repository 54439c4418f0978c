// How a panel sends: the line ending of text sends (the send line's context
// menu), the auto-send period (the auto box's), and the history of sent
// texts walked with Up and Down in the send line, where Enter sends. All
// remembered.
#pragma once

#include <utility>
#include <vector>

#include "PanelFeature.h"
#include "PanelOptions.h"
#include "SendHistory.h"

class PanelSendOptions : public PanelFeature {
 public:
  explicit PanelSendOptions(DevicePanel& Panel);

  LineEnding Ending() const { return _Ending; }
  int AutoPeriodTicks() const { return _nAutoPeriodTicks; }
  SendHistory& History() { return _History; }

  void SetLineEnding(LineEnding Ending);
  // A period outside kMinAutoPeriodTicks..kMaxAutoPeriodTicks changes nothing.
  void SetAutoPeriod(int Ticks);
  // Asks for a period in milliseconds; anything but a multiple of 100 from
  // 100 to 60000 is refused with a message and changes nothing.
  void AskAutoPeriod();
  // Text was sent: it becomes the newest in the history.
  void Sent(const String& Text);

  // Typed texts end with the line ending and join the history.
  void Shape(SendStep Step, PanelSend& Send) override;
  void ShowState() override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* Endings[4];                            // by LineEnding
  std::vector<std::pair<int, TMenuItem*>> Periods;  // period in ticks, its item
  TMenuItem* CustomPeriod;

 private:
  void CreateMenus();
  // Enter sends, Up and Down walk the history.
  void SendLineKeyDown(unsigned short& Key, TShiftState Shift);

  LineEnding _Ending = LineEnding::None;
  int _nAutoPeriodTicks = kDefaultAutoPeriodTicks;
  SendHistory _History;
};
