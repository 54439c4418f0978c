#include "PanelAppearance.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "DevicePanel.h"
#include "MenuItems.h"
#include "ReceiveArea.h"

namespace {

constexpr int kNormalPercent = 100;
// The heights a font may have, in pixels: smaller is unreadable, larger
// than any screen line needs.
constexpr int kSmallestHeight = 4;
constexpr int kLargestHeight = 200;

bool SensibleHeight(int Height) { return Height <= -kSmallestHeight && Height >= -kLargestHeight; }

size_t NormalStep() {
  const std::vector<int>& steps = PanelAppearance::ZoomSteps();
  return std::find(steps.begin(), steps.end(), kNormalPercent) - steps.begin();
}

// The keys are the focused receive area's: each panel's items carry them.
TMenuItem* NewZoomItem(DevicePanel& Panel, const String& Caption, WORD Key, TNotifyEvent OnClick) {
  TMenuItem* item = NewItem(Panel.Owner, Caption, static_cast<TShortCut>(scCtrl | Key), std::move(OnClick));
  item->ShortCutWhileFocused = true;
  return item;
}

}  // namespace

const std::vector<int>& PanelAppearance::ZoomSteps() {
  static const std::vector<int> steps = {50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300};
  return steps;
}

PanelAppearance::PanelAppearance(DevicePanel& Panel)
    : PanelFeature(Panel),
      FontItem(NewItem(Panel.Owner, Tr("Appearance", "字体…"), 0, [this](TObject*) { ChooseFont(); })),
      ZoomInItem(NewZoomItem(Panel, Tr("Appearance", "放大"), VK_OEM_PLUS, [this](TObject*) { Zoom(1); })),
      ZoomOutItem(NewZoomItem(Panel, Tr("Appearance", "缩小"), VK_OEM_MINUS, [this](TObject*) { Zoom(-1); })),
      ZoomResetItem(NewZoomItem(Panel, Tr("Appearance", "原始大小"), '0', [this](TObject*) { Zoom(0); })),
      _DesignedName(Panel.Memo->Font->Name),
      _nDesignedHeight(Panel.Memo->Font->Height),
      _nZoom(NormalStep()) {
  AddMenuItems(Panel.Owner, Panel.Memo, {FontItem, ZoomInItem, ZoomOutItem, ZoomResetItem});
}

void PanelAppearance::ChooseFont() {
  TFontDialog dialog(nullptr);
  dialog.Title = Tr("Appearance", "接收区字体");
  dialog.FontName = FontName();
  dialog.FontHeight = FontHeight();
  if (!dialog.Execute()) return;
  SetFont(dialog.FontName, SensibleHeight(dialog.FontHeight) ? dialog.FontHeight.Get() : FontHeight());
}

void PanelAppearance::SetFont(const String& Name, int Height) {
  _FontName = Name;
  _nFontHeight = Name.IsEmpty() ? 0 : Height;
  Apply();
  Panel.ChoicesChanged();
}

void PanelAppearance::Zoom(int Step) {
  const size_t last = ZoomSteps().size() - 1;
  if (Step == 0)
    _nZoom = NormalStep();
  else if (Step > 0 && _nZoom < last)
    ++_nZoom;
  else if (Step < 0 && _nZoom > 0)
    --_nZoom;
  Apply();
  Panel.ChoicesChanged();
}

int PanelAppearance::ShownHeight() const {
  const long pixels = std::lround(std::abs(FontHeight()) * ZoomPercent() / double(kNormalPercent));
  return -static_cast<int>(std::clamp(pixels, long{kSmallestHeight}, long{kLargestHeight}));
}

void PanelAppearance::Apply() {
  // The designed font at 100% leaves the receive area as it was made.
  if (_FontName.IsEmpty() && ZoomPercent() == kNormalPercent)
    Panel.Receive->SetFont(_DesignedName, _nDesignedHeight);
  else
    Panel.Receive->SetFont(FontName(), ShownHeight());
  ShowState();
}

void PanelAppearance::ShowState() {
  ZoomInItem->Enabled = _nZoom + 1 < ZoomSteps().size();
  ZoomOutItem->Enabled = _nZoom > 0;
  ZoomResetItem->Enabled = ZoomPercent() != kNormalPercent;
}

void PanelAppearance::LoadChoices(TIniFile& Ini, const String& Section) {
  const String name = Ini.ReadString(Section, "FontName", "").Trim();
  const int height = Ini.ReadInteger(Section, "FontHeight", 0);
  // A height that makes no sense leaves the designed font.
  _FontName = SensibleHeight(height) ? name : String();
  _nFontHeight = _FontName.IsEmpty() ? 0 : height;
  const std::vector<int>& steps = ZoomSteps();
  const auto step = std::find(steps.begin(), steps.end(), Ini.ReadInteger(Section, "Zoom", kNormalPercent));
  _nZoom = step != steps.end() ? static_cast<size_t>(step - steps.begin()) : NormalStep();
  Apply();
}

void PanelAppearance::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteString(Section, "FontName", _FontName);
  Ini.WriteInteger(Section, "FontHeight", _nFontHeight);
  Ini.WriteInteger(Section, "Zoom", ZoomPercent());
}
