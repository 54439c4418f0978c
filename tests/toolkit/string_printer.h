// Lets test failures show toolkit strings as text.
#pragma once

#include <ostream>

#include "toolkit/strings.h"

inline void PrintTo(const String& text, std::ostream* out) { *out << '"' << text.c_str() << '"'; }
