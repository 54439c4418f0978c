// The port number in a text of the form "COM<n>", as the serial device map
// gives it in its data.
#pragma once

#include <toolkit/strings.h>

// The number of "COM" followed by decimal digits only, within the signed
// 32-bit range; false for any other text (a prefix in another case, a sign,
// a blank, no digits).
bool PortNumberOf(const String& Text, int& Number);
