// The default frame gap of a port: 3.5 character times at its rate, the
// quiet spell that ends a Modbus RTU frame. Above 19200 baud a fixed
// 1.75 ms, as Modbus RTU sets it there (shorter spells are not told apart
// from the gaps between a fast line's reads).
#pragma once

#include <windows.h>

// Bits a character takes on the line: start, data, parity, stop (1.5 stop
// bits count as 2).
int BitsPerCharacter(int DataBits, bool Parity, int StopBits);
// In FILETIME intervals; a rate of 0 or less gives the 1.75 ms.
ULONGLONG DefaultFrameGap(int BaudRate, int BitsPerCharacter);
