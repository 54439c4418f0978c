// What a running script hears of one panel's port: the bytes its channel
// reads, as it reads them (a ReceiveTap, so that an expect answers within
// a millisecond or two of the byte that completes it rather than at the
// window's next delivery), and the port's openings and closings. The
// reading thread and the window thread hand them in; the script's thread
// takes them, woken by Changed().
#pragma once

#include <windows.h>

#include <string>

#include "Locker.h"
#include "PanelFeature.h"
#include "ReadData.h"

class ScriptTap : public ReceiveTap {
 public:
  // Bytes held for a script that does not take them; the oldest go first.
  static constexpr size_t kHeldBytes = 4 * 1024 * 1024;

  ScriptTap();
  ~ScriptTap();
  ScriptTap(const ScriptTap&) = delete;
  ScriptTap& operator=(const ScriptTap&) = delete;

  // The reading thread, under the channel's lock.
  void Tapped(const BYTE* pBytes, DWORD dwCount) override;

  // The window thread: a run begins with nothing heard and the port as it
  // is; the port opened, or closed for Reason; the port's name and the
  // encoding of its panel's text now.
  void Begin(bool Open);
  void PortOpened();
  void PortClosed(PortCloseReason Reason);
  void SetFacts(const std::string& PortName, UINT CodePage);

  // The port's state as the script's thread takes it.
  struct State {
    bool Open = false;
    // Counts the port's openings and closings: a script that saw another
    // count missed one.
    DWORD Changes = 0;
    PortCloseReason LastClose = PortCloseReason::User;
    LONGLONG LastArrival = 0;  // QueryPerformanceCounter at the newest byte; 0 before any
    std::string PortName;      // "COM3"
    UINT CodePage = 936;
  };
  // The script's thread: hands over the bytes heard since the last call
  // (appended to Bytes) and the state now.
  State Take(std::string& Bytes);
  State Peek() const;
  // Set at every arrival and every change of the port (auto-reset).
  HANDLE Changed() const { return _hChanged; }

 private:
  mutable LockerImpl _Lock;  // guards all below
  std::string _Bytes;
  State _State;
  HANDLE _hChanged;
};
