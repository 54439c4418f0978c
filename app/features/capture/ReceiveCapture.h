// A panel's capture of what its port receives: every byte, raw, appended
// to a file by a writer thread, until it is stopped or stops by itself (a
// full disk, a file that cannot be written, or a disk too slow for the line).
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include <toolkit/toolkit.h>

#include "FileAppender.h"

class ReceiveCapture {
 public:
  ReceiveCapture() = default;
  // Waits for the captures' writers while they write; one that has written
  // nothing for a while (a pipe nobody reads) is left to the ending process.
  ~ReceiveCapture();
  ReceiveCapture(const ReceiveCapture&) = delete;
  ReceiveCapture& operator=(const ReceiveCapture&) = delete;

  // Starts capturing into FileName (replacing a file of that name), ending
  // a capture that runs. ERROR_SUCCESS or the error of making the file.
  DWORD Start(const String& FileName);
  // Ends the capture; what was received until now still reaches the file.
  void Stop();
  // The port is closing: the capture ends with the port's last block, which
  // the close has posted and the window has yet to take. Meanwhile it no
  // longer counts as active, and a new capture gets only later bytes.
  void StopAfterLastBlock();
  // Whether a capture was started and has not been stopped or collected.
  bool Active() const { return _Appender != nullptr; }
  // Hands received bytes to the file; nothing when no capture is active.
  // bLast marks a port's last block before its close.
  void Add(const BYTE* pBytes, DWORD dwCount, bool bLast);
  // When the active capture stopped by itself: ends it and returns what
  // the user must be told; empty otherwise. Also lets go of earlier
  // captures whose writing has finished.
  String TakeFailure();

  const String& FileName() const { return _FileName; }
  ULONGLONG BytesWritten() const { return _Appender ? _Appender->BytesWritten() : 0; }

 private:
  void FinishClosing();

  std::unique_ptr<FileAppender> _Appender;
  // A capture waiting for its closed port's last block.
  std::unique_ptr<FileAppender> _Closing;
  // Stopped captures whose writer still writes what they were given.
  std::vector<std::unique_ptr<FileAppender>> _Finishing;
  String _FileName;
};
