// Each panel's context menus and keys: time stamps in the receive area's
// menu, the line ending in the send line's, the auto-send period in the
// auto box's, and open/close, clear and hex in the panel's own, with their
// shortcuts shown in the tooltips.
#include "Unit1.h"

namespace {

// Device 1 uses Ctrl with the key, device 2 Ctrl+Shift.
TShortCut PanelKey(int Index, char Key) { return static_cast<TShortCut>(scCtrl | (Index == 1 ? scShift : 0) | Key); }

constexpr int kPeriodChoices[] = {1, 2, 5, 10, 20, 50, 100, 300, 600};

const char* const kEndingCaptions[] = {"无", "CR (\\r)", "LF (\\n)", "CR LF (\\r\\n)"};

TMenuItem* NewRadioItem(TComponent* Owner, TMenuItem* Parent, const String& Caption, TNotifyEvent OnClick) {
  TMenuItem* item = NewItem(Owner, Caption, 0, std::move(OnClick));
  item->RadioItem = true;
  item->AutoCheck = true;
  Parent->Add(item);
  return item;
}

}  // namespace

void TForm1::CreatePanelMenus() {
  for (int i = 0; i < 2; ++i) {
    PanelWidgets& panel = Panels[i];
    PanelMenuSet& menus = Menus[i];

    menus.Receive = new TPopupMenu(this);
    menus.TimeStamps = NewItem(this, "时间戳", 0, [this, i](TObject*) { SetTimeStamps(i, !Options[i].TimeStamps); });
    menus.Receive->Items->Add(menus.TimeStamps);
    panel.Memo->PopupMenu = menus.Receive;

    menus.Send = new TPopupMenu(this);
    TMenuItem* endings = NewItem(this, "行尾", 0, nullptr);
    menus.Send->Items->Add(endings);
    for (int e = 0; e < 4; ++e)
      menus.Endings[e] = NewRadioItem(this, endings, kEndingCaptions[e],
                                      [this, i, e](TObject*) { SetLineEnding(i, static_cast<LineEnding>(e)); });
    panel.Edit->PopupMenu = menus.Send;
    panel.Edit->OnKeyDown = [this, i](TObject*, unsigned short& Key, TShiftState Shift) {
      SendLineKeyDown(i, Key, Shift);
    };
    panel.Edit->Hint = "回车发送；↑ ↓ 取出发送过的行";
    panel.Edit->ShowHint = true;

    menus.Auto = new TPopupMenu(this);
    menus.Periods.clear();
    for (int ticks : kPeriodChoices)
      menus.Periods.emplace_back(ticks, NewRadioItem(this, menus.Auto->Items, "周期 " + PeriodText(ticks),
                                                     [this, i, ticks](TObject*) { SetAutoPeriod(i, ticks); }));
    menus.CustomPeriod = NewRadioItem(this, menus.Auto->Items, "其他周期…", [this, i](TObject*) { AskAutoPeriod(i); });
    panel.Auto->PopupMenu = menus.Auto;

    menus.Panel = new TPopupMenu(this);
    menus.OpenClose =
        NewItem(this, "打开/关闭串口", PanelKey(i, 'O'), [this, i](TObject*) { Panels[i].OpenClose->Click(); });
    menus.Clear = NewItem(this, "清空接收区", PanelKey(i, 'L'), [this, i](TObject*) { Panels[i].Clear->Click(); });
    menus.Hex = NewItem(this, "16进制", PanelKey(i, 'H'), [this, i](TObject*) {
      Panels[i].Hex->Checked = !Panels[i].Hex->Checked;
      SaveSettings();
    });
    for (TMenuItem* item : {menus.OpenClose, menus.Clear, menus.Hex}) menus.Panel->Items->Add(item);
    // On/off items show their box even while off.
    menus.TimeStamps->AutoCheck = true;
    menus.Hex->AutoCheck = true;
    menus.Panel->OnPopup = [this, i](TObject*) { Menus[i].Hex->Checked = Panels[i].Hex->Checked; };
    (i == 0 ? GroupBox1 : GroupBox2)->PopupMenu = menus.Panel;

    panel.Hex->OnClick = [this](TObject*) { SaveSettings(); };
    panel.Auto->OnClick = [this](TObject*) { SaveSettings(); };

    panel.OpenClose->Hint = "打开或关闭串口";
    panel.OpenClose->ShowHint = true;
    panel.OpenClose->HintShortCut = menus.OpenClose->ShortCut;
    panel.Clear->HintShortCut = menus.Clear->ShortCut;
    panel.Hex->HintShortCut = menus.Hex->ShortCut;

    ShowPanelOptions(i);
  }
}

void TForm1::ShowPanelOptions(int Index) {
  const PanelOptions& options = Options[Index];
  PanelMenuSet& menus = Menus[Index];
  menus.TimeStamps->Checked = options.TimeStamps;
  menus.Endings[static_cast<int>(options.Ending)]->Checked = true;
  bool listed = false;
  for (const auto& [ticks, item] : menus.Periods)
    if (ticks == options.AutoPeriodTicks) {
      item->Checked = true;
      listed = true;
    }
  menus.CustomPeriod->Checked = !listed;
  menus.CustomPeriod->Caption =
      listed ? String("其他周期…") : "其他周期 (" + PeriodText(options.AutoPeriodTicks) + ")…";
  Panels[Index].Auto->Hint = "自动发送周期为" + PeriodText(options.AutoPeriodTicks);
}

void TForm1::SetTimeStamps(int Index, bool On) {
  if (On && !Options[Index].TimeStamps) ReceiveAreas[Index]->StartTimeStamps();
  Options[Index].TimeStamps = On;
  ShowPanelOptions(Index);
  SaveSettings();
}

void TForm1::SetLineEnding(int Index, LineEnding Ending) {
  Options[Index].Ending = Ending;
  ShowPanelOptions(Index);
  SaveSettings();
}

void TForm1::SetAutoPeriod(int Index, int Ticks) {
  if (Ticks < kMinAutoPeriodTicks || Ticks > kMaxAutoPeriodTicks) return;
  Options[Index].AutoPeriodTicks = Ticks;
  ShowPanelOptions(Index);
  SaveSettings();
}

void TForm1::AskAutoPeriod(int Index) {
  String typed = IntToStr(Options[Index].AutoPeriodTicks * 100);
  if (InputQuery("自动发送周期", "周期（毫秒，100 至 60000，100 的整数倍）：", typed)) {
    const int ticks = PeriodTicksFromMilliseconds(typed);
    if (ticks == 0)
      ShowMessage("无效的周期：" + typed);
    else
      SetAutoPeriod(Index, ticks);
  }
  // The check marks follow the period, whatever was typed.
  ShowPanelOptions(Index);
}

void TForm1::SendLineKeyDown(int Index, unsigned short& Key, TShiftState Shift) {
  if (Shift != 0) return;
  TEdit* edit = Panels[Index].Edit;
  String shown;
  switch (Key) {
    case VK_RETURN:
      Key = 0;
      Panels[Index].Send->Click();
      break;
    case VK_UP:
      Key = 0;
      if (History[Index].Older(edit->Text, shown)) edit->Text = shown;
      break;
    case VK_DOWN:
      Key = 0;
      if (History[Index].Newer(shown)) edit->Text = shown;
      break;
    default:
      break;
  }
}
