#include "PanelDisplay.h"

#include "DevicePanel.h"
#include "MenuItems.h"
#include "ReceiveArea.h"
#include "TextEncodings.h"

namespace {

constexpr unsigned kGapChoices[] = {0, 2, 5, 10, 20, 50, 100, 200, 500, 1000};

String GapCaption(unsigned Milliseconds) {
  return Milliseconds == 0 ? Tr("Display", "关")
                           : Fill(Tr("Display", "%1 毫秒"), {String(std::to_string(Milliseconds))});
}

}  // namespace

PanelDisplay::PanelDisplay(DevicePanel& Panel) : PanelFeature(Panel) {
  CreateMenus();
  ShowState();
}

void PanelDisplay::CreateMenus() {
  TComponent* owner = Panel.Owner;
  TMenuItem* encodings = NewItem(owner, Tr("Display", "编码"), 0, nullptr);
  for (const TextEncoding& encoding : TextEncodings()) {
    const UINT codePage = encoding.CodePage;
    Encodings.emplace_back(codePage, NewRadioItem(owner, encodings, encoding.Name, [this, codePage](TObject*) {
                             DisplayChoices choices = _Choices;
                             choices.CodePage = codePage;
                             Set(choices);
                           }));
  }
  ColoursItem = NewCheckItem(owner, Tr("Display", "终端颜色"), 0, [this](TObject*) {
    DisplayChoices choices = _Choices;
    choices.Colours = !choices.Colours;
    Set(choices);
  });
  DumpItem = NewCheckItem(owner, Tr("Display", "十六进制+字符"), 0, [this](TObject*) {
    DisplayChoices choices = _Choices;
    choices.HexDump = !choices.HexDump;
    Set(choices);
  });
  TMenuItem* gaps = NewItem(owner, Tr("Display", "帧间隔"), 0, nullptr);
  for (const unsigned gap : kGapChoices)
    Gaps.emplace_back(gap, NewRadioItem(owner, gaps, GapCaption(gap), [this, gap](TObject*) {
                        DisplayChoices choices = _Choices;
                        choices.FrameGap = gap;
                        Set(choices);
                      }));
  EchoItem = NewCheckItem(owner, Tr("Display", "显示发送内容"), 0, [this](TObject*) {
    DisplayChoices choices = _Choices;
    choices.Echo = !choices.Echo;
    Set(choices);
  });
  AddMenuItems(owner, Panel.Memo, {encodings, ColoursItem, DumpItem, gaps, EchoItem});
}

void PanelDisplay::Set(const DisplayChoices& Choices) {
  _Choices = Choices;
  Apply();
  ShowState();
  Panel.ChoicesChanged();
}

void PanelDisplay::Apply() { Panel.Receive->SetChoices(_Choices); }

void PanelDisplay::Tick() { Panel.Receive->Tick(); }

void PanelDisplay::Shape(SendStep Step, PanelSend& Send) {
  // Text goes in the panel's encoding; GBK is what the panel made already.
  if (Step != SendStep::Encode || Send.Text.IsEmpty() || Send.Hex || _Choices.CodePage == Send.CodePage) return;
  // UTF-16 text holds zero bytes.
  Send.Bytes = EncodeText(Send.Text.Utf8(), _Choices.CodePage);
  Send.CodePage = _Choices.CodePage;
}

void PanelDisplay::ShowState() {
  for (auto& [codePage, item] : Encodings) item->Checked = codePage == _Choices.CodePage;
  ColoursItem->Checked = _Choices.Colours;
  DumpItem->Checked = _Choices.HexDump;
  for (auto& [gap, item] : Gaps) item->Checked = gap == _Choices.FrameGap;
  EchoItem->Checked = _Choices.Echo;
}

void PanelDisplay::LoadChoices(TIniFile& Ini, const String& Section) {
  DisplayChoices choices;
  choices.CodePage = EncodingOfKey(Ini.ReadString(Section, "Encoding", "GBK").Utf8().c_str()).CodePage;
  choices.Colours = Ini.ReadBool(Section, "TerminalColours", false);
  choices.HexDump = Ini.ReadBool(Section, "HexDump", false);
  const int gap = Ini.ReadInteger(Section, "FrameGap", 0);
  // A gap outside the range is none.
  choices.FrameGap = gap >= static_cast<int>(HexDump::kMinGap) && gap <= static_cast<int>(HexDump::kMaxGap)
                         ? static_cast<unsigned>(gap)
                         : 0;
  choices.Echo = Ini.ReadBool(Section, "ShowSent", false);
  _Choices = choices;
  Apply();
  ShowState();
}

void PanelDisplay::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "Encoding", EncodingOfCodePage(_Choices.CodePage).Key);
  Ini.WriteBool(Section, "TerminalColours", _Choices.Colours);
  Ini.WriteBool(Section, "HexDump", _Choices.HexDump);
  Ini.WriteInteger(Section, "FrameGap", static_cast<int>(_Choices.FrameGap));
  Ini.WriteBool(Section, "ShowSent", _Choices.Echo);
}
