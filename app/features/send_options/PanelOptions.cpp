#include "PanelOptions.h"

const char* LineEndingBytes(LineEnding Ending) {
  switch (Ending) {
    case LineEnding::CR:
      return "\r";
    case LineEnding::LF:
      return "\n";
    case LineEnding::CRLF:
      return "\r\n";
    case LineEnding::None:
      break;
  }
  return "";
}

String PeriodText(int Ticks) {
  if (Ticks < 10) return Fill(Tr("SendOptions", "%1毫秒"), {IntToStr(Ticks * 100)});
  String text = IntToStr(Ticks / 10);
  if (Ticks % 10 != 0) text += "." + IntToStr(Ticks % 10);
  return Fill(Tr("SendOptions", "%1秒"), {text});
}

int PeriodTicksFromMilliseconds(const String& Text) {
  const int ms = Text.Trim().ToIntDef(0);
  if (ms % 100 != 0) return 0;
  const int ticks = ms / 100;
  return ticks >= kMinAutoPeriodTicks && ticks <= kMaxAutoPeriodTicks ? ticks : 0;
}
