#include "DecodedRowText.h"

#include <cstdio>

String DecodedRowText(const ModbusRow& Row) {
  // Indented under the frame's bytes.
  String text(Row.Bad ? "        \xE2\x9A\xA0 " : "        ");
  for (size_t index = 0; index < Row.Phrases.size(); ++index) {
    const ModbusPhrase& phrase = Row.Phrases[index];
    if (index > 0) text += "  ";
    std::vector<String> values;
    for (const std::string& value : phrase.Values) values.emplace_back(value);
    text += Fill(TrText("Modbus", phrase.Pattern), values);
  }
  if (Row.ResponseTime) {
    char milliseconds[32];
    std::snprintf(milliseconds, sizeof milliseconds, "%.3f", static_cast<double>(*Row.ResponseTime) / kIntervalsPerMs);
    text += Fill(Tr("LinkMonitor", "  响应时间 %1 ms"), {String(milliseconds)});
  }
  return text;
}
