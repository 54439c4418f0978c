#include "TransferProtocols.h"

const char* ProtocolName(TransferProtocol Protocol) {
  switch (Protocol) {
    case TransferProtocol::Xmodem:
      return "XMODEM";
    case TransferProtocol::Xmodem1K:
      return "XMODEM-1K";
    case TransferProtocol::Ymodem:
      return "YMODEM";
    case TransferProtocol::Zmodem:
      return "ZMODEM";
  }
  return "";
}

bool CarriesNames(TransferProtocol Protocol) {
  return Protocol == TransferProtocol::Ymodem || Protocol == TransferProtocol::Zmodem;
}

const char* ProgramName(TransferProtocol Protocol, bool Sending) {
  switch (Protocol) {
    case TransferProtocol::Xmodem:
    case TransferProtocol::Xmodem1K:
      return Sending ? "sx" : "rx";
    case TransferProtocol::Ymodem:
      return Sending ? "sb" : "rb";
    case TransferProtocol::Zmodem:
      return Sending ? "sz" : "rz";
  }
  return "";
}

std::string QuotedWord(const std::string& Word) {
  if (!Word.empty() && Word.find_first_of(" \t\"") == std::string::npos) return Word;
  std::string quoted = "\"";
  size_t slashes = 0;
  for (const char c : Word) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
    slashes = 0;
    quoted += c;
  }
  // And before the closing quote.
  quoted.append(slashes * 2, '\\');
  return quoted + "\"";
}

std::string SendCommandLine(TransferProtocol Protocol, const std::string& Program,
                            const std::vector<std::string>& Files) {
  // -vv: names, progress and retries on standard error; -b: bytes as they
  // are. XMODEM-1K and YMODEM send blocks of 1024 bytes (-k).
  std::string line = QuotedWord(Program) + " -vv -b";
  if (Protocol == TransferProtocol::Xmodem1K || Protocol == TransferProtocol::Ymodem) line += " -k";
  // "--" ends the options, so that a file named "-x" is a file.
  line += " --";
  for (const std::string& file : Files) line += " " + QuotedWord(file);
  return line;
}

std::string ReceiveCommandLine(TransferProtocol Protocol, const std::string& Program, const std::string& XmodemName) {
  // -R: lrzsz's restricted mode refuses names with "../" and absolute ones;
  // the program runs in a private folder, and what it leaves there is
  // checked again before it is taken (ReceivedFiles.h). -c: XMODEM asks for
  // CRC-16, which XMODEM-1K senders need and others accept.
  std::string line = QuotedWord(Program) + " -vv -b -R";
  if (!CarriesNames(Protocol)) line += " -c -- " + QuotedWord(XmodemName);
  return line;
}

bool AsksAgainAfterCancel(const BYTE* Bytes, DWORD Count) {
  if (Count == 1 && Bytes[0] == 'C') return true;
  for (DWORD n = 0; n < Count; ++n)
    if (Bytes[n] == 0x15 || Bytes[n] == 0x18) return true;
  return false;
}

std::string FindProgram(TransferProtocol Protocol, bool Sending) {
  char found[MAX_PATH];
  const DWORD length = SearchPathA(nullptr, ProgramName(Protocol, Sending), ".exe", sizeof found, found, nullptr);
  if (length == 0 || length >= sizeof found) return std::string();
  return std::string(found, length);
}
