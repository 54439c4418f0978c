// The file transfer protocols and the lrzsz program that speaks each, both
// ways, with the command line that runs it on its standard input and
// output. lrzsz's programs are found by name on the PATH (sx, sb, sz to
// send; rx, rb, rz to receive; a Windows build finds lrzsz's Windows port's
// sx.exe and so on).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class TransferProtocol { Xmodem, Xmodem1K, Ymodem, Zmodem };

inline constexpr TransferProtocol kTransferProtocols[] = {TransferProtocol::Xmodem, TransferProtocol::Xmodem1K,
                                                          TransferProtocol::Ymodem, TransferProtocol::Zmodem};

// "XMODEM", "XMODEM-1K", "YMODEM", "ZMODEM".
const char* ProtocolName(TransferProtocol Protocol);
// Whether it sends several files in one go, with their names and sizes.
bool CarriesNames(TransferProtocol Protocol);
// The program's name: "sx" or "rx", and so on.
const char* ProgramName(TransferProtocol Protocol, bool Sending);

// A word of a command line quoted as the Windows C runtime splits it back.
std::string QuotedWord(const std::string& Word);
// The command line that sends the files (full names) with the program found
// at Program.
std::string SendCommandLine(TransferProtocol Protocol, const std::string& Program,
                            const std::vector<std::string>& Files);
// The command line that receives into the working folder; XMODEM writes
// the file XmodemName there.
std::string ReceiveCommandLine(TransferProtocol Protocol, const std::string& Program, const std::string& XmodemName);

// Whether bytes a far end sent after a cancel are its protocol asking again
// (an X/YMODEM receiver's NAK or lone 'C', anything with a CAN in it, as
// every ZMODEM header has), not text such as a prompt or typed characters.
bool AsksAgainAfterCancel(const BYTE* Bytes, DWORD Count);

// The program's full name found on the PATH; empty when it is not there.
std::string FindProgram(TransferProtocol Protocol, bool Sending);
