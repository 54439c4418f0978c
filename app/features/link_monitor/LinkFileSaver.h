// Saving the link's record to a file as it grows: a pcapng capture for
// Wireshark or a text log of the rows. The file is written by a writer
// thread (FileAppender), so a slow or stalled disk never holds the window;
// each write hands it whole blocks (whole rows), so the file is complete
// and readable whenever the writer has caught up.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "FileAppender.h"
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
  bool IsOpen() const { return Writer != nullptr; }
  // Hands the record's frames not yet written (those from the sequence
  // after the last written on) to the writer, in one piece. False, with
  // the file closed and LastError set, once the writer has failed (a write
  // failed, or the disk did not keep up: ERROR_NOT_ENOUGH_QUOTA); what was
  // written stays whole up to the last complete write.
  bool WriteNew(const LinkRecord& Record);
  // No more frames; the writer still writes what it was given.
  void Close();

  // Takes a closed file's writer until it has written its last bytes; when
  // not set, Close waits for it.
  std::function<void(std::unique_ptr<FileAppender>)> Retire;

  // The code page each panel's text rows are read in (text logs only).
  UINT CodePages[2] = {936, 936};

  DWORD LastError = 0;
  ULONGLONG FramesWritten = 0;
  // Frames that left the record (past its limit) before they were written.
  ULONGLONG FramesMissed = 0;

 private:
  std::string FrameBytes(const LinkFrame& Frame);
  bool Write(const std::string& Bytes);
  // The writer stopped taking bytes: LastError says why, the file closes.
  bool Failed();

  std::unique_ptr<FileAppender> Writer;
  Format Kind = Format::Pcapng;
  bool Hex = true;
  ULONGLONG NextSequence = 0;
  ULONGLONG PreviousEnd = 0;
  std::map<std::pair<int, std::string>, DWORD> Interfaces;  // (panel, port name) to interface
};
