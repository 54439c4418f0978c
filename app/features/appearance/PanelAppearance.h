// The look of a panel's receive area: its font (字体…, any of the desktop's
// fonts, fixed-width or proportional) and its zoom (放大 Ctrl++, 缩小 Ctrl+-,
// 原始大小 Ctrl+0, while the receive area has the focus), both remembered.
// The zoom scales the chosen font's height in steps, as browsers do; the
// designed font stays until another is chosen.
#pragma once

#include <vector>

#include "PanelFeature.h"

class PanelAppearance : public PanelFeature {
 public:
  explicit PanelAppearance(DevicePanel& Panel);

  // Asks for the font in the desktop's font dialog.
  void ChooseFont();
  // Sets the font (a family and a height in pixels, negative); an empty
  // name goes back to the designed font.
  void SetFont(const String& Name, int Height);
  // One step larger (+1) or smaller (-1), within the steps there are;
  // 0 goes back to 100%.
  void Zoom(int Step);

  int ZoomPercent() const { return ZoomSteps()[_nZoom]; }
  // The font chosen, before the zoom; the designed one until another is.
  String FontName() const { return _FontName.IsEmpty() ? _DesignedName : _FontName; }
  int FontHeight() const { return _FontName.IsEmpty() ? _nDesignedHeight : _nFontHeight; }
  // The height the receive area shows, zoom applied.
  int ShownHeight() const;

  static const std::vector<int>& ZoomSteps();

  void ShowState() override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  TMenuItem* const FontItem;
  TMenuItem* const ZoomInItem;
  TMenuItem* const ZoomOutItem;
  TMenuItem* const ZoomResetItem;

 private:
  void Apply();

  const String _DesignedName;
  const int _nDesignedHeight;
  String _FontName;  // empty: the designed font
  int _nFontHeight = 0;
  size_t _nZoom;  // into ZoomSteps()
};
