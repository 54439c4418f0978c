// Saving the link's record to a file as it grows: a pcapng capture for
// Wireshark or a text log of the rows. Every write hands the operating
// system whole blocks (whole rows), so the file is complete and readable
// at every moment between writes, while the monitor runs.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>

#include "LinkRecord.h"

class LinkFileSaver {
 public:
  enum class Format { Pcapng, Text };

  LinkFileSaver() = default;
  ~LinkFileSaver();
  LinkFileSaver(const LinkFileSaver&) = delete;
  LinkFileSaver& operator=(const LinkFileSaver&) = delete;

  // Creates (or replaces) the file and writes its header; false with the
  // Win32 error in LastError when it cannot.
  bool Open(const std::string& Path, Format Kind, bool Hex);
  bool IsOpen() const { return File != INVALID_HANDLE_VALUE; }
  // Writes the record's frames not yet written (those from the sequence
  // after the last written on), in one write. False, with the file closed
  // and LastError set, when the write fails; what was written stays whole
  // up to the last complete write.
  bool WriteNew(const LinkRecord& Record);
  void Close();

  // The code page each panel's text rows are read in (text logs only).
  UINT CodePages[2] = {936, 936};

  DWORD LastError = 0;
  ULONGLONG FramesWritten = 0;
  // Frames that left the record (past its limit) before they were written.
  ULONGLONG FramesMissed = 0;

 private:
  std::string FrameBytes(const LinkFrame& Frame);
  bool Write(const std::string& Bytes);

  HANDLE File = INVALID_HANDLE_VALUE;
  Format Kind = Format::Pcapng;
  bool Hex = true;
  ULONGLONG NextSequence = 0;
  ULONGLONG PreviousEnd = 0;
  std::map<std::pair<int, std::string>, DWORD> Interfaces;  // (panel, port name) to interface
};
