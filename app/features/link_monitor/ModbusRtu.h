// Modbus RTU frames of the link's record in words: the address, the
// function, the request's or the response's fields (addresses, quantities,
// registers, coils, exception codes), whether the CRC is right, and for a
// response the time since its request. Frames are the record's: a port's
// bytes until a quiet spell, which a 3.5-character frame gap makes Modbus's
// own framing.
//
// Whether a frame is a request or a response is not in its bytes for every
// function, so the decoder pairs them: a frame from another port (or
// direction) than the request still waiting, with its address and function
// (or the function's exception), is that request's response; any other
// frame is a request when its length fits one. Frames too short to be
// Modbus, with a wrong CRC or a length that fits neither are marked bad, and
// shown all the same.
//
// A row's words are phrases: a pattern in the program's source language,
// marked for the catalogs (context "Modbus"), and the values that fill its
// %1, %2... (numbers and bytes, the same in every language). The window
// shows each pattern in its language; this library has no toolkit and
// translates nothing.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "LinkRecord.h"

struct ModbusPhrase {
  const char* Pattern;  // UTF-8, marked
  std::vector<std::string> Values;
};

struct ModbusRow {
  std::vector<ModbusPhrase> Phrases;  // in order, shown two spaces apart
  bool Bad = false;                   // a wrong CRC, a frame cut short, fields that do not fit
  bool Response = false;
  std::optional<ULONGLONG> ResponseTime;  // FILETIME intervals, from the request's last byte
};

// The pattern with its values in place of %1, %2..., as written.
std::string ModbusPhraseText(const ModbusPhrase& Phrase);
// The row's phrases as written, two spaces apart.
std::string ModbusRowText(const ModbusRow& Row);

class ModbusDecoder {
 public:
  ModbusRow Decode(const LinkFrame& Frame);
  // Forgets the request waiting for its response.
  void Reset() { Waiting.reset(); }

 private:
  struct Request {
    int Source;  // port * 2 + sent
    BYTE Address;
    BYTE Function;
    WORD Start;
    WORD Quantity;
    ULONGLONG End;
  };
  bool AnswersWaiting(const LinkFrame& Frame) const;

  std::optional<Request> Waiting;
};

// The frame's CRC-16/MODBUS is right (the last two bytes, low byte first).
bool ModbusCrcGood(const std::string& Frame);
// The text of an exception code ("非法数据地址"), marked.
const char* ModbusExceptionText(BYTE Code);
// The function's name ("读保持寄存器"), marked; empty for one the decoder does not know.
const char* ModbusFunctionText(BYTE Function);
