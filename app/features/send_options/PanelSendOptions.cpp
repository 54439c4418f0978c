#include "PanelSendOptions.h"

#include <algorithm>

#include "DevicePanel.h"
#include "MenuItems.h"
#include "TextEncodings.h"

namespace {

constexpr int kPeriodChoices[] = {1, 2, 5, 10, 20, 50, 100, 300, 600};

const char* const kEndingCaptions[] = {TR_MARK("SendOptions", "无"), "CR (\\r)", "LF (\\n)", "CR LF (\\r\\n)"};
constexpr const char* kEndingNames[] = {"none", "cr", "lf", "crlf"};

String HistorySection(const String& Section) { return Section + ".History"; }

}  // namespace

PanelSendOptions::PanelSendOptions(DevicePanel& Panel) : PanelFeature(Panel) {
  CreateMenus();
  Panel.Edit->OnKeyDown = [this](TObject*, unsigned short& Key, TShiftState Shift) { SendLineKeyDown(Key, Shift); };
  Panel.Edit->Hint = Tr("SendOptions", "回车发送；↑ ↓ 取出发送过的行");
  Panel.Edit->ShowHint = true;
  ShowState();
}

void PanelSendOptions::CreateMenus() {
  TComponent* owner = Panel.Owner;
  TMenuItem* endings = NewItem(owner, Tr("SendOptions", "行尾"), 0, nullptr);
  for (int e = 0; e < 4; ++e)
    Endings[e] = NewRadioItem(owner, endings, TrText("SendOptions", kEndingCaptions[e]),
                              [this, e](TObject*) { SetLineEnding(static_cast<LineEnding>(e)); });
  AddMenuItems(owner, Panel.Edit, {endings});

  TPopupMenu* periodMenu = new TPopupMenu(owner);
  Panel.Auto->PopupMenu = periodMenu;
  TMenuItem* periods = periodMenu->Items;
  for (int ticks : kPeriodChoices)
    Periods.emplace_back(ticks, NewRadioItem(owner, periods, Fill(Tr("SendOptions", "周期 %1"), {PeriodText(ticks)}),
                                             [this, ticks](TObject*) { SetAutoPeriod(ticks); }));
  CustomPeriod = NewRadioItem(owner, periods, Tr("SendOptions", "其他周期…"), [this](TObject*) { AskAutoPeriod(); });
}

void PanelSendOptions::SetLineEnding(LineEnding Ending) {
  _Ending = Ending;
  ShowState();
  Panel.ChoicesChanged();
}

void PanelSendOptions::SetAutoPeriod(int Ticks) {
  if (Ticks < kMinAutoPeriodTicks || Ticks > kMaxAutoPeriodTicks) return;
  _nAutoPeriodTicks = Ticks;
  Panel.AutoPeriodTicks = Ticks;
  ShowState();
  Panel.ChoicesChanged();
}

void PanelSendOptions::AskAutoPeriod() {
  String typed = IntToStr(_nAutoPeriodTicks * 100);
  if (InputQuery(Tr("SendOptions", "自动发送周期"), Tr("SendOptions", "周期（毫秒，100 至 60000，100 的整数倍）："),
                 typed)) {
    const int ticks = PeriodTicksFromMilliseconds(typed);
    if (ticks == 0)
      ShowMessage(Fill(Tr("SendOptions", "无效的周期：%1"), {typed}));
    else
      SetAutoPeriod(ticks);
  }
  // The check marks follow the period, whatever was typed.
  ShowState();
}

void PanelSendOptions::Shape(SendStep Step, PanelSend& Send) {
  if (Step != SendStep::End || !Send.Typed) return;
  // A text send ends with the line ending, in the text's encoding; a hex
  // send is the bytes typed and nothing more.
  if (!Send.Hex) Send.Ending = EncodeText(LineEndingBytes(_Ending), Send.CodePage);
  Sent(Send.Text);
}

void PanelSendOptions::Sent(const String& Text) {
  // Sending the newest text again (auto-send) changes nothing to remember.
  const bool changed = _History.Texts().empty() || _History.Texts().back() != Text;
  _History.Add(Text);
  if (changed) Panel.ChoicesChanged();
}

void PanelSendOptions::SendLineKeyDown(unsigned short& Key, TShiftState Shift) {
  if (Shift != 0) return;
  TEdit* edit = Panel.Edit;
  String shown;
  switch (Key) {
    case VK_RETURN:
      Key = 0;
      Panel.SendButton->Click();
      break;
    case VK_UP:
      Key = 0;
      if (_History.Older(edit->Text, shown)) edit->Text = shown;
      break;
    case VK_DOWN:
      Key = 0;
      if (_History.Newer(shown)) edit->Text = shown;
      break;
    default:
      break;
  }
}

void PanelSendOptions::ShowState() {
  Endings[static_cast<int>(_Ending)]->Checked = true;
  bool listed = false;
  for (const auto& [ticks, item] : Periods)
    if (ticks == _nAutoPeriodTicks) {
      item->Checked = true;
      listed = true;
    }
  CustomPeriod->Checked = !listed;
  CustomPeriod->Caption = listed ? Tr("SendOptions", "其他周期…")
                                 : Fill(Tr("SendOptions", "其他周期 (%1)…"), {PeriodText(_nAutoPeriodTicks)});
  Panel.Auto->Hint = Fill(Tr("SendOptions", "自动发送周期为%1"), {PeriodText(_nAutoPeriodTicks)});
}

void PanelSendOptions::LoadChoices(TIniFile& Ini, const String& Section) {
  const String ending = Ini.ReadString(Section, "LineEnding", "");
  for (int e = 0; e < 4; ++e)
    if (ending == kEndingNames[e]) _Ending = static_cast<LineEnding>(e);
  const int ticks = PeriodTicksFromMilliseconds(IntToStr(Ini.ReadInteger(Section, "AutoPeriodMs", 0)));
  if (ticks != 0) _nAutoPeriodTicks = ticks;
  Panel.AutoPeriodTicks = _nAutoPeriodTicks;

  std::vector<String> texts;
  const String history = HistorySection(Section);
  const int count = std::clamp(Ini.ReadInteger(history, "Count", 0), 0, SendHistory::kLimit);
  for (int n = 1; n <= count; ++n) {
    const String text = Ini.ReadString(history, IntToStr(n), "");
    if (!text.IsEmpty()) texts.push_back(text);
  }
  _History.Assign(texts);
  ShowState();
}

void PanelSendOptions::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "LineEnding", kEndingNames[static_cast<int>(_Ending)]);
  Ini.WriteInteger(Section, "AutoPeriodMs", _nAutoPeriodTicks * 100);
  const String history = HistorySection(Section);
  Ini.EraseSection(history);
  const auto& texts = _History.Texts();
  Ini.WriteInteger(history, "Count", static_cast<int>(texts.size()));
  for (size_t n = 0; n < texts.size(); ++n) Ini.WriteString(history, IntToStr(static_cast<int>(n + 1)), texts[n]);
}
