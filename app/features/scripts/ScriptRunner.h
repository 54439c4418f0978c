// What the script window asks of the program's scripts: to run a script,
// to stop it, whether one runs, and the scripts opened last. ScriptHost
// answers; the window knows it only by this.
#pragma once

#include <functional>

#include <toolkit/toolkit.h>

#include "RecentScripts.h"
#include "ScriptRun.h"

class ScriptRunner {
 public:
  // Starts Source against both panels; Console sends its output to
  // standard output and error. False, with why, when it cannot start.
  virtual bool Start(const ScriptRun::Script& Source, bool Console, String& Why) = 0;
  virtual void Stop() = 0;
  virtual bool Running() const = 0;

  RecentScripts Recent;
  // The recent list changed: it is to be written.
  std::function<void()> ChoicesChanged;

 protected:
  ~ScriptRunner() = default;
};
