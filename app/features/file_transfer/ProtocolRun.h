// One run of a protocol program (lrzsz) joined to a panel's port: the
// program's standard output is a stream the panel's writer thread sends
// (DevicePanel::SendStream: the one send path, paced, counted, seen by the
// link monitor, never echoed); what the port receives reaches the program's
// standard input as it is read (a ReceiveTap, then a thread of the run's
// own that writes the pipe, since the tap must not wait); its standard
// error is read by a second thread into an LrzszReport.
//
// The writer thread is the one thread besides the window that writes to the
// port; the run's threads write only to pipes.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "Locker.h"
#include "LrzszReport.h"
#include "ReadData.h"

class DevicePanel;

class ProtocolRun : public ReceiveTap {
 public:
  explicit ProtocolRun(DevicePanel& Panel);
  // Ends the program and the threads, if they still run.
  ~ProtocolRun();
  ProtocolRun(const ProtocolRun&) = delete;
  ProtocolRun& operator=(const ProtocolRun&) = delete;

  // Starts the command line with Folder as its working folder.
  // ERROR_SUCCESS, or why it did not start (the port closed, the program
  // not found, ...), with nothing left running.
  DWORD Start(const std::string& CommandLine, const std::string& Folder);
  // The program ended and everything it wrote went to the port.
  bool Finished() const;
  // Ends the program at once; what it wrote and the port has not taken is
  // dropped. Returns once nothing of the run writes to the port any more.
  void Stop();
  // Stops it and drops what the port holds of it and has not sent yet, so
  // that what is sent next (the cancel) goes at once.
  void Abort();
  // The program's exit code once Finished; STILL_ACTIVE before.
  DWORD ExitCode() const;
  // What the program has said so far.
  LrzszReport Report() const;
  // Bytes heard from the far end since the start.
  ULONGLONG Heard() const { return _qwHeard.load(); }
  // The far end's cancel is a run of so many CANs in what it sends (0: not
  // looked for). Set before Start.
  void SetCancelRun(DWORD Count) { _dwCancelRun = Count; }
  // The far end sent its cancel: a program blocked writing to a line that
  // no longer drains would not read it.
  bool FarEndCancelled() const { return _bFarEndCancelled.load(); }

  // The channel's tap: on the reading thread, under the channel's lock.
  void Tapped(const BYTE* pBytes, DWORD dwCount) override;

 private:
  static DWORD WINAPI FeedEntry(LPVOID pThis);
  static DWORD WINAPI ReportEntry(LPVOID pThis);
  // Writes what the tap heard to the program's input until stopped.
  void Feed();
  // Reads the program's error output into the report until it ends.
  void ReadReport();
  // Lets the threads and handles go (after the program ended).
  void Release();

  DevicePanel& Panel;
  HANDLE _hProcess = nullptr;
  HANDLE _hInput = nullptr;   // our end of the program's standard input
  HANDLE _hErrors = nullptr;  // our end of its standard error
  HANDLE _hFeeder = nullptr;
  HANDLE _hReporter = nullptr;
  HANDLE _hHeard;  // set when the tap queued bytes
  HANDLE _hStop;   // ends the feeder
  bool _bTapped = false;
  std::atomic<ULONGLONG> _qwHeard{0};
  DWORD _dwCancelRun = 0;
  DWORD _dwCans = 0;  // CANs in a row so far (the reading thread's)
  std::atomic<bool> _bFarEndCancelled{false};
  mutable LockerImpl _Lock;  // guards the two below
  std::string _Heard;        // bytes for the program, not yet written
  LrzszReport _Report;
};
