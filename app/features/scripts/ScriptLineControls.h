// What a script drives of a panel's lines through the features that own
// them, so that their menus and tool tips show what the script did. The
// form's registration list fills it from the panel's line features; every
// call is made on the window thread.
#pragma once

#include <functional>

struct ScriptLineControls {
  std::function<void(bool)> SetDtr;
  // False when RTS/CTS flow control drives RTS (the choice is kept for
  // later).
  std::function<bool(bool)> SetRts;
  // Starts the panel's reset pulse; false when it cannot start now.
  std::function<bool()> StartResetPulse;
  std::function<bool()> Pulsing;
  // Starts a break of so many milliseconds; false when it cannot start now.
  std::function<bool(int)> StartBreak;
  std::function<bool()> BreakOn;
  // 0 none, 1 RTS/CTS, 2 XON/XOFF; false when the port refused it.
  std::function<bool(int)> SetFlow;
};
