// How the script's calls are made in Lua. Each call is a C++ function
// wrapped by Guarded: a ScriptError it throws becomes a Lua error at the
// caller's line ("test.lua:12: 设备1（COM3）没有打开"), a ScriptEnd unwinds
// the script, and no Lua error ever jumps over a C++ object (Lua's errors
// are long jumps: they are raised only once the call's own objects are
// gone). Arguments are read by the readers below, which throw ScriptError
// naming the argument.
#pragma once

#include <windows.h>

#include <lua.hpp>

#include <new>
#include <string>

#include "ScriptError.h"

class ScriptOutput;
class ScriptSession;

// What the calls of one run reach; kept in the Lua state's extra space.
struct ScriptContext {
  ScriptSession& Session;
  ScriptOutput& Output;
  std::string Folder;   // relative file names are taken from here ("" for the current folder)
  LONGLONG Start = 0;   // QueryPerformanceCounter as the script began
  int ExitStatus = -1;  // set by exit and fail
  // Memory the script's values take, and the most they may: a script that
  // takes more fails with "not enough memory". Never refused while a call
  // of ours runs, whose objects a refusal would jump over.
  size_t MemoryUsed = 0;
  size_t MemoryLimit = 512u << 20;
  bool InCall = false;
};

ScriptContext& ContextOf(lua_State* L);
// The key of the error value that unwinds an ending script.
void* EndKey();

// Pushes the error (the caller's line and Text) for lua_error.
void PushError(lua_State* L, const std::string& Text);

using ScriptCall = int (*)(lua_State* L, ScriptContext& Context);

template <ScriptCall Call>
int Guarded(lua_State* L) {
  ScriptContext& context = ContextOf(L);
  int results = -1;
  context.InCall = true;
  try {
    if (context.ExitStatus >= 0) throw ScriptEnd();
    results = Call(L, context);
  } catch (const ScriptError& error) {
    PushError(L, error.what());
  } catch (const ScriptEnd&) {
    lua_pushlightuserdata(L, EndKey());
  } catch (const std::bad_alloc&) {
    lua_pushliteral(L, "not enough memory");
  }
  context.InCall = false;
  if (results < 0) return lua_error(L);
  return results;
}

// Argument readers: Arg counts from 1.
// A panel: 1 or 2, or the COM name of a panel's port.
int PanelArg(lua_State* L, int Arg, ScriptContext& Context);
std::string TextArg(lua_State* L, int Arg);
// Milliseconds from 0 to a day; nil or none gives Default.
DWORD MillisecondsArg(lua_State* L, int Arg, DWORD Default);
lua_Integer IntegerArg(lua_State* L, int Arg, lua_Integer Min, lua_Integer Max);
// The same for the value on top of the stack, a field of the table at Arg.
lua_Integer IntegerField(lua_State* L, int Arg, const char* Name, lua_Integer Min, lua_Integer Max);
bool BooleanArg(lua_State* L, int Arg);
// A file name, taken from the script's folder when not absolute.
std::string FileArg(lua_State* L, int Arg, const ScriptContext& Context);
// "bad argument" for the argument, with why.
[[noreturn]] void ArgumentError(lua_State* L, int Arg, const String& Why);

// Registers the calls of each group as globals.
void RegisterPortCalls(lua_State* L);
void RegisterLineCalls(lua_State* L);
void RegisterBasicCalls(lua_State* L);
