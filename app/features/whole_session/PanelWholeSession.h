// Keeping a panel's whole session (保留全部接收内容): a check item in the
// receive area's menu puts the panel's log view in the memo's place, which
// keeps everything received since the last clear up to a limit the user
// sets (保留上限…, 64 MiB by default); past it the oldest lines go. The
// limit goes up to a quarter of the machine's memory, at most 4096 MiB (the
// view costs about the text it keeps, and both panels may keep as much),
// and the question says how much memory there is. The counter panel's tool
// tip says how much is kept and how much was let go. Both choices are
// remembered.
#pragma once

#include "PanelFeature.h"

class PanelWholeSession : public PanelFeature {
 public:
  static constexpr int kDefaultLimitMiB = 64;
  static constexpr int kMaxLimitMiB = 4096;
  // The largest limit on this machine: a quarter of its memory, kMaxLimitMiB
  // at most, never less than the default.
  static int MachineLimitMiB();

  explicit PanelWholeSession(DevicePanel& Panel);

  bool On() const { return _bOn; }
  void Set(bool On);
  int LimitMiB() const { return _iLimitMiB; }
  // A limit outside 1 to MachineLimitMiB() is refused (false).
  bool SetLimitMiB(int MiB);

  // The panel's log view (made on first call).
  TLogView* View() const;

  void Tick() override;
  void ShowState() override;
  String Hint() const override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const Item;
  TMenuItem* const LimitItem;

 private:
  // Asks for the limit in MiB; a text that is no limit is said so and
  // changes nothing.
  void AskLimit();
  void Apply();

  bool _bOn = false;
  int _iLimitMiB = kDefaultLimitMiB;
};
