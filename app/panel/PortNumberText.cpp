#include "PortNumberText.h"

bool PortNumberOf(const String& Text, int& Number) {
  if (Text.SubString(1, 3) != "COM") return false;
  const String digits = Text.SubString(4, Text.Length());
  if (digits.IsEmpty()) return false;
  for (const char* c = digits.c_str(); *c != '\0'; ++c)
    if (*c < '0' || *c > '9') return false;
  const int number = digits.ToIntDef(-1);
  if (number < 0) return false;
  Number = number;
  return true;
}
