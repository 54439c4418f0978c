// A decoded frame as the monitor shows it, in the window's language: the
// decoder's phrases translated and filled, a ⚠ before a bad frame, and the
// response time.
#pragma once

#include <toolkit/toolkit.h>

#include "ModbusRtu.h"

String DecodedRowText(const ModbusRow& Row);
