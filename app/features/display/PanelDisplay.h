// How a panel shows what it receives, chosen in its receive area's context
// menu and remembered: the encoding (编码: received text and text sends),
// terminal colours (终端颜色), the hex dump (十六进制+字符) with its frame
// gap (帧间隔), and the panel's own sends among what it receives
// (显示发送内容). With none chosen the receive area shows the bytes as
// GBK text or hexadecimal pairs, by the panel's hex box.
#pragma once

#include <utility>
#include <vector>

#include "PanelFeature.h"
#include "StyledReceive.h"

class PanelDisplay : public PanelFeature {
 public:
  explicit PanelDisplay(DevicePanel& Panel);

  const DisplayChoices& Choices() const { return _Choices; }
  void Set(const DisplayChoices& Choices);

  void Tick() override;
  // Text sends go in the chosen encoding.
  void Shape(SendStep Step, PanelSend& Send) override;
  void ShowState() override;
  void LoadChoices(TIniFile& Ini, const String& Section) override;
  void SaveChoices(TIniFile& Ini, const String& Section) const override;

  std::vector<std::pair<UINT, TMenuItem*>> Encodings;
  TMenuItem* ColoursItem = nullptr;
  TMenuItem* DumpItem = nullptr;
  std::vector<std::pair<unsigned, TMenuItem*>> Gaps;
  TMenuItem* EchoItem = nullptr;

 private:
  void CreateMenus();
  // Hands the choices to the receive area (and the log view they need).
  void Apply();

  DisplayChoices _Choices;
};
