#include "CannotOpenText.h"

#include <vector>

String LineSettingsText(const String& Baud, const String& Parity, const String& DataBits, const String& StopBits) {
  return Baud.Trim() + "," + Parity.SubString(1, 1) + "," + DataBits.Trim() + "," + StopBits.Trim();
}

String CannotOpenText(const String& PortText, const String& Cause) {
  String text = String("不能打开 ") + PortText;
  if (!Cause.IsEmpty()) text += "\n" + Cause;
  return text;
}

namespace {

// Whether the settings conversion takes one setting alone, in its keyed
// form ("baud=9600"), as the panel hands it on.
bool TakenAlone(const char* szKey, const String& Value) {
  DCB dcb = {};
  dcb.DCBlength = sizeof dcb;
  const AnsiString text(String(szKey) + "=" + Value);
  return BuildCommDCBA(text.c_str(), &dcb) == TRUE;
}

}  // namespace

String RefusedSettingsCause(const LineSettingsTexts& Settings, DWORD dwRefused) {
  std::vector<String> refused;
  if (dwRefused & cxComm::kSettingsTextRefused) {
    if (!TakenAlone("baud", Settings.Baud.Trim())) refused.push_back("波特率 " + Settings.Baud);
    if (!TakenAlone("parity", Settings.Parity.SubString(1, 1))) refused.push_back("校验位 " + Settings.Parity);
    if (!TakenAlone("data", Settings.DataBits.Trim())) refused.push_back("数据位 " + Settings.DataBits);
    if (!TakenAlone("stop", Settings.StopBits.Trim())) refused.push_back("停止位 " + Settings.StopBits);
    // Each taken alone, not as a whole (a text that reads as several).
    if (refused.empty())
      refused.push_back(LineSettingsText(Settings.Baud, Settings.Parity, Settings.DataBits, Settings.StopBits));
  }
  if (dwRefused & cxComm::kLineRateRefused) refused.push_back("波特率 " + Settings.Baud);
  if (dwRefused & cxComm::kFramingRefused)
    refused.push_back("数据位 " + Settings.DataBits + "、校验位 " + Settings.Parity + "、停止位 " + Settings.StopBits +
                      " 的组合");
  String cause = "线路设置被拒绝：";
  for (size_t i = 0; i < refused.size(); ++i) cause += (i == 0 ? String() : String("，")) + refused[i];
  return cause;
}
