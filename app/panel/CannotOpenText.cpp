#include "CannotOpenText.h"

#include <vector>

String LineSettingsText(const String& Baud, const String& Parity, const String& DataBits, const String& StopBits) {
  return Baud.Trim() + "," + Parity.SubString(1, 1) + "," + DataBits.Trim() + "," + StopBits.Trim();
}

String CannotOpenText(const String& PortText, const TrMessage& Cause) {
  String text = Fill(Tr("OpenFailure", "不能打开 %1"), {PortText});
  if (!Cause.IsEmpty()) text += "\n" + Cause.Shown();
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

TrMessage RefusedSettingsCause(const LineSettingsTexts& Settings, DWORD dwRefused) {
  std::vector<TrMessage> refused;
  const TrMessage baud = TrMessage("OpenFailure", "波特率 %1").Arg(Settings.Baud);
  if (dwRefused & cxComm::kSettingsTextRefused) {
    if (!TakenAlone("baud", Settings.Baud.Trim())) refused.push_back(baud);
    if (!TakenAlone("parity", Settings.Parity.SubString(1, 1)))
      refused.push_back(TrMessage("OpenFailure", "校验位 %1").Arg(Settings.Parity));
    if (!TakenAlone("data", Settings.DataBits.Trim()))
      refused.push_back(TrMessage("OpenFailure", "数据位 %1").Arg(Settings.DataBits));
    if (!TakenAlone("stop", Settings.StopBits.Trim()))
      refused.push_back(TrMessage("OpenFailure", "停止位 %1").Arg(Settings.StopBits));
    // Each taken alone, not as a whole (a text that reads as several).
    if (refused.empty())
      refused.push_back(TrMessage::AsItStands(
          LineSettingsText(Settings.Baud, Settings.Parity, Settings.DataBits, Settings.StopBits)));
  }
  if (dwRefused & cxComm::kLineRateRefused) refused.push_back(baud);
  if (dwRefused & cxComm::kFramingRefused)
    refused.push_back(TrMessage("OpenFailure", "数据位 %1、校验位 %2、停止位 %3 的组合")
                          .Arg(Settings.DataBits)
                          .Arg(Settings.Parity)
                          .Arg(Settings.StopBits));
  TrMessage list = refused.empty() ? TrMessage() : refused[0];
  for (size_t i = 1; i < refused.size(); ++i) list = TrMessage("OpenFailure", "%1，%2").Arg(list).Arg(refused[i]);
  return TrMessage("OpenFailure", "线路设置被拒绝：%1").Arg(list);
}
