// The window's choice to be resized and maximised (可调整窗口大小), in its
// system menu and in each panel's menu, remembered with the window's size,
// place and state and the panels' share of its height.
//
// Off (the default) the window keeps its designed size, its single border
// without a maximise button and its centred place. On, the user may resize
// it down to the designed size and maximise it; the two panels take the
// room it gains: each is as wide as the window allows, the height is shared
// between them as the splitter between them sets, and the controls inside
// them follow by their anchors (the receive area and the send line grow,
// the rest keep their places from the panel's left edge). The status bar
// stays along the bottom.
#pragma once

#include <toolkit/toolkit.h>

class ResizableWindow {
 public:
  struct Parts {
    TForm* Form;
    TGroupBox* Panels[2];  // device 1 above device 2
  };
  explicit ResizableWindow(const Parts& Window);
  ResizableWindow(const ResizableWindow&) = delete;
  ResizableWindow& operator=(const ResizableWindow&) = delete;

  bool On() const { return _bOn; }
  // Turns the choice on or off, as its menu items do.
  void Set(bool On);

  // The window section's keys: the choice, the place and client size the
  // window goes back to from maximised, whether it is maximised, and the
  // upper panel's share of the panels' height in thousandths.
  void LoadChoices(TIniFile& Ini, const String& Section);
  void SaveChoices(TIniFile& Ini, const String& Section) const;

  // The panels' share of the height given to the upper one, in thousandths.
  int PanelShare() const { return _nShare; }

  TMenuItem* SystemMenuItem = nullptr;
  TMenuItem* PanelMenuItems[2] = {nullptr, nullptr};
  // Between the panels; made when the choice is first turned on.
  TSplitter* Splitter = nullptr;

  // The designed client size: the smallest the window may take.
  static constexpr int kDesignedWidth = 848;
  static constexpr int kDesignedHeight = 419;

 private:
  void Apply();
  // Puts the panels and the splitter where the client size and the share
  // place them.
  void PlacePanels();
  void SplitterMoved();
  void ShowState();

  Parts _Window;
  bool _bOn = false;
  int _nShare = 500;
  // The remembered place and size (client) and state, given back when the
  // choice is turned on; no size remembered while the width is 0.
  int _nLeft = 0, _nTop = 0, _nWidth = 0, _nHeight = 0;
  bool _bPlaced = false, _bMaximized = false;
};
