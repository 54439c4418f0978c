#include "ResizableWindow.h"

#include <algorithm>

#include "MenuItems.h"

namespace {

// Where the panels stand in the designed window: the upper one's top, each
// one's height, the gap between them (where the splitter goes) and their
// width short of the window's.
constexpr int kPanelsTop = 31;
constexpr int kPanelHeight = 180;
constexpr int kPanelGap = 5;
constexpr int kPanelWidthShort = 848 - 841;
constexpr int kFullShare = 1000;
// The largest client size taken from the settings file.
constexpr int kLargestSide = 16384;

}  // namespace

ResizableWindow::ResizableWindow(const Parts& Window) : _Window(Window) {
  TForm* form = Window.Form;
  const auto toggle = [this](TObject*) { Set(!_bOn); };
  SystemMenuItem = NewCheckItem(form, Tr("MainWindow", "可调整窗口大小"), 0, toggle);
  form->SystemMenu->Add(SystemMenuItem);
  for (int i = 0; i < 2; ++i) {
    PanelMenuItems[i] = NewCheckItem(form, Tr("MainWindow", "可调整窗口大小"), 0, toggle);
    AddMenuItems(form, Window.Panels[i], {PanelMenuItems[i]});
  }
  // Off, nothing moves: the window keeps its designed size.
  form->OnResize = [this](TObject*) {
    if (_bOn) PlacePanels();
  };
  ShowState();
}

void ResizableWindow::Set(bool On) {
  if (On == _bOn) {
    ShowState();
    return;
  }
  TForm* form = _Window.Form;
  if (!On) {
    // The size and place it had, for the next time it is turned on.
    _nLeft = form->RestoredLeft;
    _nTop = form->RestoredTop;
    _nWidth = form->RestoredClientWidth;
    _nHeight = form->RestoredClientHeight;
    _bMaximized = form->WindowState == wsMaximized;
    _bPlaced = true;
  }
  _bOn = On;
  Apply();
  ShowState();
}

void ResizableWindow::Apply() {
  TForm* form = _Window.Form;
  if (!_bOn) {
    form->WindowState = wsNormal;
    form->BorderStyle = bsSingle;
    form->BorderIcons = biSystemMenu | biMinimize;
    form->ClientWidth = kDesignedWidth;
    form->ClientHeight = kDesignedHeight;
    if (Splitter) Splitter->Visible = false;
    PlacePanels();
    form->Position = poScreenCenter;
    return;
  }
  if (!Splitter) {
    Splitter = new TSplitter(form);
    Splitter->Parent = form;
    Splitter->AccessibleName = Tr("MainWindow", "设备1与设备2的分隔条");
    Splitter->TabOrder = 1;  // between the panels
    Splitter->OnMoved = [this](TObject*) { SplitterMoved(); };
  }
  Splitter->Visible = true;
  form->Constraints->MinWidth = kDesignedWidth;
  form->Constraints->MinHeight = kDesignedHeight;
  form->BorderStyle = bsSizeable;
  form->BorderIcons = biSystemMenu | biMinimize | biMaximize;
  form->Position = poDesigned;
  if (_nWidth > 0) {
    form->ClientWidth = _nWidth;
    form->ClientHeight = _nHeight;
  }
  if (_bPlaced) {
    form->Left = _nLeft;
    form->Top = _nTop;
    form->MakeFullyVisible();
  }
  PlacePanels();
  if (_bMaximized) form->WindowState = wsMaximized;
}

void ResizableWindow::PlacePanels() {
  TForm* form = _Window.Form;
  const int width = std::max(form->ClientWidth.Get(), kDesignedWidth) - kPanelWidthShort;
  const int extra = _bOn ? std::max(form->ClientHeight.Get() - kDesignedHeight, 0) : 0;
  const int both = 2 * kPanelHeight + extra;
  const int upper = std::clamp((both * _nShare + kFullShare / 2) / kFullShare, kPanelHeight, both - kPanelHeight);
  _Window.Panels[0]->SetBounds(0, kPanelsTop, _bOn ? width : 841, upper);
  _Window.Panels[1]->SetBounds(0, kPanelsTop + upper + kPanelGap, _bOn ? width : 841, both - upper);
  if (!_bOn || !Splitter) return;
  Splitter->SetBounds(0, kPanelsTop + upper, width, kPanelGap);
  Splitter->MinTop = kPanelsTop + kPanelHeight;
  Splitter->MaxTop = kPanelsTop + both - kPanelHeight;
}

void ResizableWindow::SplitterMoved() {
  const int both = _Window.Panels[0]->Height + _Window.Panels[1]->Height;
  const int upper = Splitter->Top - kPanelsTop;
  _nShare = both > 0 ? std::clamp((upper * kFullShare + both / 2) / both, 0, kFullShare) : kFullShare / 2;
  PlacePanels();
}

void ResizableWindow::ShowState() {
  SystemMenuItem->Checked = _bOn;
  for (TMenuItem* item : PanelMenuItems) item->Checked = _bOn;
}

void ResizableWindow::LoadChoices(TIniFile& Ini, const String& Section) {
  const int share = Ini.ReadInteger(Section, "PanelShare", kFullShare / 2);
  _nShare = share >= 0 && share <= kFullShare ? share : kFullShare / 2;
  const int width = Ini.ReadInteger(Section, "ClientWidth", 0);
  const int height = Ini.ReadInteger(Section, "ClientHeight", 0);
  // A size smaller than the designed one, or beyond any screen, is none.
  const bool sized =
      width >= kDesignedWidth && width <= kLargestSide && height >= kDesignedHeight && height <= kLargestSide;
  _nWidth = sized ? width : 0;
  _nHeight = sized ? height : 0;
  _bPlaced = Ini.ValueExists(Section, "Left") && Ini.ValueExists(Section, "Top");
  _nLeft = Ini.ReadInteger(Section, "Left", 0);
  _nTop = Ini.ReadInteger(Section, "Top", 0);
  _bMaximized = Ini.ReadBool(Section, "Maximized", false);
  const bool on = Ini.ReadBool(Section, "Resizable", false);
  if (on != _bOn) {
    _bOn = on;
    Apply();
  } else if (_bOn) {
    Apply();
  }
  ShowState();
}

void ResizableWindow::SaveChoices(TIniFile& Ini, const String& Section) const {
  Ini.WriteBool(Section, "Resizable", _bOn);
  if (!_bOn) return;
  TForm* form = _Window.Form;
  Ini.WriteInteger(Section, "Left", form->RestoredLeft);
  Ini.WriteInteger(Section, "Top", form->RestoredTop);
  Ini.WriteInteger(Section, "ClientWidth", form->RestoredClientWidth);
  Ini.WriteInteger(Section, "ClientHeight", form->RestoredClientHeight);
  Ini.WriteBool(Section, "Maximized", form->WindowState == wsMaximized);
  Ini.WriteInteger(Section, "PanelShare", _nShare);
}
