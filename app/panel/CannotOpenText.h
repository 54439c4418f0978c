// The text of the box that says a panel's port could not be opened: the
// first line "不能打开 " and the port text, and the cause on a second line
// when one is known; and the line settings such a box may name.
#pragma once

#include <toolkit/strings.h>
#include <toolkit/translation.h>

#include "cxComm.h"

// The box text for a port text and a cause line (none when empty), in the
// window's language.
String CannotOpenText(const String& PortText, const TrMessage& Cause);

// The panel's four settings texts as typed.
struct LineSettingsTexts {
  String Baud;
  String Parity;
  String DataBits;
  String StopBits;
};

// The line-settings text "baud,parity,data,stop" from the panel's texts:
// blanks around the numbers removed, the parity's first character.
String LineSettingsText(const String& Baud, const String& Parity, const String& DataBits, const String& StopBits);

// The cause line for settings the port refused, naming which of them:
// dwRefused is cxComm::_dwRefusedSettings of the failed open.
TrMessage RefusedSettingsCause(const LineSettingsTexts& Settings, DWORD dwRefused);
