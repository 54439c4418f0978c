// Line control of a panel (the panel's menu): a break of 250 ms or of a
// chosen length (发送中断), flow control (none, RTS/CTS, XON/XOFF; applied
// when the port opens and at once while it is open), and pacing: a pause
// after each character of a send (字符间隔, 0 to 1000 ms) and after each
// line ending (行间隔), given to every send of the panel at its pacing step:
// the panel's writer then sends it byte by byte, handed on (counted in S:,
// echoed) as the port takes each byte, each send's echo one line as an
// unpaced one. All but the break are remembered.
//
// RTS/CTS flow control drives RTS itself: while it is chosen, the modem
// lines' RTS choice and reset pulse are off (their menu says why), and
// the RTS choice comes back when another flow control is chosen.
#pragma once

#include <string>

#include "FlowControl.h"
#include "PanelFeature.h"
#include "PanelModemLines.h"

class PanelLineControl : public PanelFeature {
 public:
  static constexpr int kMaxCharGapMs = 1000;
  static constexpr int kMaxLineGapMs = 10000;
  static constexpr int kDefaultBreakMs = 250;
  static constexpr int kMaxBreakMs = 10000;

  // Made after the panel's modem lines, which its flow control steers.
  explicit PanelLineControl(DevicePanel& Panel);

  // Sends get the pauses chosen.
  void Shape(SendStep Step, PanelSend& Send) override;

  // Starts a break of Ms milliseconds (ended by a timer, so the window runs
  // on); nothing while the port is closed or a break is on.
  void SendBreak(int Ms);
  // Asks for a length and sends a break of it.
  void AskBreak();
  bool BreakOn() const { return _hBreakComm != INVALID_HANDLE_VALUE; }
  // " 正在发送中断（250 毫秒）" while a break is on, else empty: follows the
  // counter line, so that the break is seen to go out.
  String Progress() const override;

  FlowControl Flow() const { return _Flow; }
  // Remembered, and applied at once to an open port; one the port refuses
  // is told and the flow control stays as it was.
  void SetFlowControl(FlowControl Flow);
  int CharGapMs() const { return _nCharGapMs; }
  int LineGapMs() const { return _nLineGapMs; }
  // Values outside their ranges change nothing.
  void SetCharGap(int Ms);
  void SetLineGap(int Ms);
  void AskCharGap();
  void AskLineGap();

  // The port is about to close (by the user, the exit or a lost device):
  // a break ends.
  void PortClosing(PortCloseReason Reason) override;

  void PortOpened() override;
  void Tick() override;
  void ShowState() override;
  String Hint() const override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const BreakItem;
  TMenuItem* const CustomBreakItem;
  TMenuItem* FlowItems[kFlowControlCount];
  TMenuItem* const CharGapItem;
  TMenuItem* const LineGapItem;

 private:
  void EndBreak();
  // Asks for a number of milliseconds from 0 (or 1) to Max; false when
  // cancelled or refused (a message then says why).
  bool AskMilliseconds(const String& Caption, const String& Prompt, int Min, int Max, int& Ms);

  PanelModemLines& _ModemLines;
  TTimer* const _BreakTimer;
  HANDLE _hBreakComm = INVALID_HANDLE_VALUE;  // the port a break is on
  FlowControl _Flow = FlowControl::None;
  int _nCharGapMs = 0;
  int _nLineGapMs = 0;
  int _nBreakMs = kDefaultBreakMs;  // the last chosen length
  int _nBreakOnMs = 0;              // the length of the break on now
};
