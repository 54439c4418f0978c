// What a running script reaches of the window: both panels' ports, by panel
// number or COM name. Sends and everything else that touches a panel run
// on the window thread (TThread::Synchronize) through the panel's own
// paths, so the panels show what the script does as if the user did it;
// what the ports receive reaches the script's thread through each panel's
// ScriptTap and is searched there. A port closed or opened again by
// someone else while the script runs fails the script's next call on it.
//
// The window thread makes the session, begins it and, when the run is over
// or the window goes, detaches it; the script's thread makes the calls.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "PanelSend.h"
#include "ReceivedText.h"
#include "ScriptLineControls.h"
#include "ScriptTap.h"

class DevicePanel;
class ScriptRegex;

class ScriptSession {
 public:
  // Expects and reads without a time given wait this long.
  static constexpr DWORD kDefaultTimeoutMs = 5000;
  // The longest time a call waits for: a day.
  static constexpr DWORD kLongestWaitMs = 24 * 60 * 60 * 1000;

  ScriptSession(DevicePanel* const (&Panels)[2], const ScriptLineControls (&Controls)[2]);
  ~ScriptSession();
  ScriptSession(const ScriptSession&) = delete;
  ScriptSession& operator=(const ScriptSession&) = delete;

  // Window thread.
  void Begin();
  void Detach();
  void PortOpened(int Panel);
  void PortClosed(int Panel, PortCloseReason Reason);
  // The ports' names and their panels' encodings, as they are now.
  void RefreshFacts();

  // Any thread: the script is to end (stopped, or it ended itself); every
  // wait ends at once.
  void End();
  bool Ending() const { return ending_; }

  // Script thread. Each throws ScriptError with the reason when the call
  // cannot be made, and ScriptEnd once the script is to end.
  //
  // The panel (0 or 1) whose port has that name ("COM3", any case).
  int PanelNamed(const std::string& Name);
  std::string PortName(int Panel);
  void Send(int Panel, PanelSend Send);
  void SendFile(int Panel, const std::string& FileName);
  struct Expected {
    bool Found = false;
    std::string Matched;  // the match, when found
    std::string Before;   // what came before it; all that came, when not found
    std::vector<std::string> Groups;
  };
  Expected Expect(int Panel, const std::string& Text, DWORD TimeoutMs);
  Expected Expect(int Panel, const ScriptRegex& Regex, DWORD TimeoutMs);
  // Exactly Count bytes; fewer (all that came, left untaken) on time-out.
  bool ReadBytes(int Panel, size_t Count, DWORD TimeoutMs, std::string& Bytes);
  // True once nothing has come for QuietMs; false at the time-out.
  bool WaitQuiet(int Panel, DWORD QuietMs, DWORD TimeoutMs);
  // The text come and not taken; with Take, it is taken.
  std::string Pending(int Panel, bool Take);
  void Sleep(DWORD Ms);

  void Open(int Panel);
  void Close(int Panel);
  bool IsOpen(int Panel);
  struct LineSettings {
    int Baud = 0;      // 0: as it is
    char Parity = 0;   // 'N', 'O', 'E', 'M', 'S'; 0: as it is
    int DataBits = 0;  // 5 to 8; 0: as it is
    int StopBits = 0;  // 1 or 2; 0: as it is
    int Flow = -1;     // 0 none, 1 RTS/CTS, 2 XON/XOFF; -1: as it is
  };
  void SetLine(int Panel, const LineSettings& Settings);
  void SetDtr(int Panel, bool On);
  void SetRts(int Panel, bool On);
  void SendBreak(int Panel, int Ms);
  void ResetPulse(int Panel);
  // S: and R: of the panel.
  void Counters(int Panel, ULONGLONG& Sent, ULONGLONG& Received);

 private:
  // What a call needs of the port: open, as the script last saw it; as the
  // script last saw it, open or not; nothing (a look at it); or nothing,
  // since the call opens or closes it (the script then knows it as it is).
  enum class PortUse { Open, Unchanged, Unchecked, OpenOrClose };
  // Runs Work with the panel on the window thread; what it throws as
  // ScriptError (or the toolkit's Exception) fails the call.
  void OnPanel(int Panel, PortUse Use, const std::function<void(DevicePanel&)>& Work);
  // The port as the script last saw it: a change by someone else fails the
  // call (once); a closed port fails it when OpenPort.
  void CheckPort(int Panel, const ScriptTap::State& State, bool OpenPort);
  // Takes what the panel's tap heard into its text; checks the port.
  void Absorb(int Panel, bool OpenPort);
  // Waits until Done holds (checked after each arrival), TimeoutMs pass
  // (false) or the script is to end (ScriptEnd).
  bool WaitUntil(int Panel, DWORD TimeoutMs, const std::function<bool(ReceivedText&)>& Done);
  // Waits until the window thread's Condition no longer holds (a pulse, a
  // break, a file being sent), looking every few milliseconds.
  void WaitWhile(int Panel, const std::function<bool(DevicePanel&)>& Condition);
  String Port(int Panel, const ScriptTap::State& State) const;

  DevicePanel* panels_[2];  // window thread; null once detached
  ScriptLineControls controls_[2];
  ScriptTap taps_[2];
  ReceivedText texts_[2];          // script thread
  DWORD seenChanges_[2] = {0, 0};  // script thread: the port's changes it knows of
  HANDLE hEnd_;                    // manual-reset: the script is to end
  std::atomic<bool> ending_{false};
};
