// One run of a script, on a thread of its own so that the window never
// waits for it. The script runs in a Lua 5.4 state that offers it its calls
// (ScriptLua.h), Lua's string, table, math, utf8 and coroutine libraries
// and the time functions of os, and nothing else: no io, no programs, no
// modules, no files but those it writes, no binary chunks (load takes
// text only). Its values may take 512 MiB at most.
//
// Stop ends it at once: a wait of any call ends, and so does Lua code in
// a loop (a hook looks every thousand instructions), even code that
// catches errors.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ScriptOutput.h"

class ScriptSession;
struct ScriptContext;
struct lua_State;

class ScriptRun {
 public:
  struct Script {
    std::string Text;
    std::string Name;    // in messages: "test.lua:12: ..."
    std::string Folder;  // relative file names are taken from here
  };
  enum class Outcome { Running, Finished, Exited, Error, Stopped };
  // Exit statuses.
  static constexpr int kPassed = 0;
  static constexpr int kFailed = 1;
  static constexpr int kError = 2;

  // Console: the output goes to standard output and error.
  ScriptRun(Script Source, std::shared_ptr<ScriptSession> Session, bool Console);
  ~ScriptRun();
  ScriptRun(const ScriptRun&) = delete;
  ScriptRun& operator=(const ScriptRun&) = delete;

  // Window thread: starts Run's thread, which keeps Run until it ends;
  // false when the thread cannot start.
  static bool Start(const std::shared_ptr<ScriptRun>& Run);
  // Any thread.
  void Stop();
  HANDLE Thread() const { return _hThread; }
  bool Ended() const;

  // Once ended: how, and the exit status (0 when it ran to its end or
  // exit(0); exit's status; 1 for fail; 2 for an error or a stop).
  Outcome HowEnded() const { return _Outcome; }
  int Status() const { return _nStatus; }
  // The line of the script an error names; 0 when none does.
  int ErrorLine() const { return _nErrorLine; }

  ScriptOutput Output;
  ScriptSession& Session() const { return *_Session; }
  // Window thread: runs once the script has ended (the thread's last act).
  std::function<void()> OnEnded;

 private:
  static DWORD WINAPI Entry(LPVOID pRun);
  void Execute();
  // Runs the loaded chunk on top of L's stack; how it ended.
  void RunChunk(lua_State* L, ScriptContext& Context);
  void Errored(const std::string& Message);

  const Script _Source;
  const std::shared_ptr<ScriptSession> _Session;
  HANDLE _hThread = nullptr;
  Outcome _Outcome = Outcome::Running;  // written by the thread before it ends
  int _nStatus = kError;
  int _nErrorLine = 0;
};
