// Saves the text a log view keeps to a file on a thread of its own, so that
// the window goes on answering while a gigabyte is written: the text as it
// was when the save began (later text and drops do not change it), line
// breaks as CR LF as the memo saves them, in UTF-8 or turned back into the
// ANSI code page (GBK). The bytes go through a file writer (FileAppender),
// never more than 16 MiB ahead of the disk; once it has them all, the
// writer joins the saved files (SavedFiles.h), which tell a failure as they
// tell every saved file's.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include <toolkit/toolkit.h>

#include "FileAppender.h"

class ShownTextSaver {
 public:
  ShownTextSaver() = default;
  // Waits while the text is handed over, and gives the writer to the saved
  // files.
  ~ShownTextSaver();
  ShownTextSaver(const ShownTextSaver&) = delete;
  ShownTextSaver& operator=(const ShownTextSaver&) = delete;

  // Creates FileName (replacing a file of that name) and starts writing Text
  // into it. ERROR_SUCCESS, or the error that kept the file from being made
  // (ERROR_BUSY while a save runs).
  DWORD Start(const String& FileName, const TLogText& Text, bool Ansi);
  // The text is still being read and handed to the writer.
  bool Running() const;
  // Running, or done but its writer not yet given to the saved files (at the
  // next Collect).
  bool Busy() const { return _hThread != nullptr || _Appender != nullptr; }
  // Each tick: a save whose text is all handed over gives its writer to the
  // saved files. Window thread only.
  void Collect();
  // How much of the text has been handed over, 0 to 100.
  int Percent() const;

 private:
  static DWORD WINAPI ThreadEntry(LPVOID pThis);
  void Run();
  void EndThread();

  std::unique_ptr<FileAppender> _Appender;
  TLogText _Text;
  bool _bAnsi = false;
  String _FileName;
  HANDLE _hThread = nullptr;
  std::atomic<ULONGLONG> _qwRead{0};
};
