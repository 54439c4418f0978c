// The files of one panel's session log: text appended as it comes by a
// writer thread (FileAppender, as a capture's), a new file when one has
// reached its size or the day has changed, and when the file in use was
// removed. A full disk, a file that cannot be written or a disk that does
// not keep up stops the log; what the user must be told is kept until taken.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include <toolkit/toolkit.h>

#include "FileAppender.h"
#include "SessionLogChoices.h"

class SessionLogFile {
 public:
  SessionLogFile() = default;
  // Hands the file to the program's saved files, which finish writing it.
  ~SessionLogFile();
  SessionLogFile(const SessionLogFile&) = delete;
  SessionLogFile& operator=(const SessionLogFile&) = delete;

  // Starts a file for Port in the choices' folder (made when missing),
  // named by the pattern at At; a file of that name already there is kept
  // and the new one gets "-2", "-3"... before its extension. ERROR_SUCCESS,
  // or the error that kept the file from being made (FileName() names it).
  DWORD Start(const SessionLogChoices& Choices, const String& Port, const SYSTEMTIME& At);
  // Ends the log; what it was given still reaches the file.
  void Stop();
  bool Active() const { return appender_ != nullptr; }

  // Appends text; a new file first when this one is full or At is another
  // day (NewFileStarted() then says so).
  void Add(const std::string& Utf8, const SYSTEMTIME& At);
  // Now and then: a new file at midnight, or when the file in use is gone.
  void Check(const SYSTEMTIME& At);
  // Whether a new file started since last asked.
  bool NewFileStarted();
  // When the log stopped by itself: what the user must be told; empty
  // otherwise.
  String TakeFailure();

  const String& FileName() const { return fileName_; }
  const String& Port() const { return port_; }
  // Bytes given to the file in use.
  ULONGLONG Bytes() const { return given_; }

 private:
  // The next file; on failure the log stops with the failure kept.
  bool Next(const SYSTEMTIME& At);
  DWORD Open(const SYSTEMTIME& At);
  void Retire(bool TellFailure);
  bool OtherDay(const SYSTEMTIME& At) const;

  std::unique_ptr<FileAppender> appender_;
  SessionLogChoices choices_;
  String port_;
  String fileName_;
  SYSTEMTIME day_{};
  ULONGLONG given_ = 0;
  bool newFile_ = false;
  String failure_;
};
