#include "ScriptRun.h"

#include <toolkit/threads.h>

#include <cstdlib>

#include "ScriptLua.h"
#include "ScriptSession.h"

namespace {

void* Allocate(void* Context, void* Block, size_t OldSize, size_t NewSize) {
  ScriptContext& context = *static_cast<ScriptContext*>(Context);
  const size_t old = Block != nullptr ? OldSize : 0;  // without a block, OldSize tells its kind
  if (NewSize == 0) {
    std::free(Block);
    context.MemoryUsed -= old;
    return nullptr;
  }
  if (NewSize > old && !context.InCall && context.MemoryUsed - old + NewSize > context.MemoryLimit) return nullptr;
  void* grown = std::realloc(Block, NewSize);
  if (grown != nullptr) context.MemoryUsed = context.MemoryUsed - old + NewSize;
  return grown;
}

// Ends the script's Lua code once it is to end: at once, and again at every
// instruction after, so that no pcall can keep it going.
void LookForEnd(lua_State* L, lua_Debug*) {
  ScriptContext& context = ContextOf(L);
  if (context.ExitStatus < 0 && !context.Session.Ending()) return;
  lua_sethook(L, LookForEnd, LUA_MASKCOUNT, 1);
  lua_pushlightuserdata(L, EndKey());
  lua_error(L);
}

// load takes text only: a binary chunk could break the interpreter.
int LoadText(lua_State* L) {
  const int given = lua_gettop(L);
  lua_settop(L, 4);
  lua_pushliteral(L, "t");
  lua_replace(L, 3);
  lua_pushvalue(L, lua_upvalueindex(1));
  lua_insert(L, 1);
  // Without an environment the chunk gets the globals, as load's own does.
  lua_settop(L, given >= 4 ? 5 : 4);
  lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
  return lua_gettop(L);
}

void OpenLibraries(lua_State* L) {
  const luaL_Reg libraries[] = {{LUA_GNAME, luaopen_base},        {LUA_TABLIBNAME, luaopen_table},
                                {LUA_STRLIBNAME, luaopen_string}, {LUA_MATHLIBNAME, luaopen_math},
                                {LUA_UTF8LIBNAME, luaopen_utf8},  {LUA_COLIBNAME, luaopen_coroutine}};
  for (const luaL_Reg& library : libraries) {
    luaL_requiref(L, library.name, library.func, 1);
    lua_pop(L, 1);
  }
  // Of os, only the time.
  luaL_requiref(L, LUA_OSLIBNAME, luaopen_os, 0);
  lua_createtable(L, 0, 4);
  for (const char* name : {"time", "date", "clock", "difftime"}) {
    lua_getfield(L, -2, name);
    lua_setfield(L, -2, name);
  }
  lua_setglobal(L, LUA_OSLIBNAME);
  lua_pop(L, 1);
  // Of the base library, nothing that reads files.
  for (const char* name : {"dofile", "loadfile"}) {
    lua_pushnil(L);
    lua_setglobal(L, name);
  }
  lua_getglobal(L, "load");
  lua_pushcclosure(L, LoadText, 1);
  lua_setglobal(L, "load");
}

// The error with the script's part of the call chain after it, when the
// error came from a function of the script called from elsewhere in it.
int WithTraceback(lua_State* L) {
  if (lua_type(L, 1) != LUA_TSTRING) return 1;  // an ending, or an error value of the script's own
  luaL_traceback(L, L, lua_tostring(L, 1), 1);
  return 1;
}

std::string ErrorText(lua_State* L, const std::string& Name) {
  if (lua_type(L, -1) != LUA_TSTRING)
    return Fill(Tr("Scripts", "%1：脚本以 %2 类型的值报错"), {String(Name), String(luaL_typename(L, -1))}).Utf8();
  // Only the script's own frames of the traceback: "\ttest.lua:7: in ...".
  const std::string text = lua_tostring(L, -1);
  std::string shown;
  size_t lines = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const bool frame = line.starts_with("\t" + Name + ":");
    if (start == 0 || frame) {
      shown += (start == 0 ? "" : "\n") + line;
      lines += frame ? 1 : 0;
    }
    start = end + 1;
  }
  // One frame says no more than the message's own line.
  return lines > 1 ? shown : text.substr(0, text.find('\n'));
}

}  // namespace

ScriptRun::ScriptRun(Script Source, std::shared_ptr<ScriptSession> Session, bool Console)
    : Output(Console), _Source(std::move(Source)), _Session(std::move(Session)) {}

ScriptRun::~ScriptRun() {
  if (_hThread != nullptr) CloseHandle(_hThread);
}

bool ScriptRun::Start(const std::shared_ptr<ScriptRun>& Run) {
  auto* kept = new std::shared_ptr<ScriptRun>(Run);
  // Lua's parser and deep recursion want more than a small stack.
  Run->_hThread = CreateThread(nullptr, 8 << 20, Entry, kept, 0, nullptr);
  if (Run->_hThread != nullptr) return true;
  delete kept;
  return false;
}

void ScriptRun::Stop() { _Session->End(); }

bool ScriptRun::Ended() const { return _hThread == nullptr || WaitForSingleObject(_hThread, 0) == WAIT_OBJECT_0; }

DWORD WINAPI ScriptRun::Entry(LPVOID pRun) {
  const std::unique_ptr<std::shared_ptr<ScriptRun>> kept(static_cast<std::shared_ptr<ScriptRun>*>(pRun));
  const std::shared_ptr<ScriptRun> run = *kept;
  run->Execute();
  TThread::Synchronize([&run] {
    if (run->OnEnded) run->OnEnded();
  });
  return 0;
}

void ScriptRun::Execute() {
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  ScriptContext context{*_Session, Output, _Source.Folder, start.QuadPart};
  lua_State* L = lua_newstate(Allocate, &context);
  if (L == nullptr) {
    Errored(Tr("Scripts", "内存不足，脚本没有运行").Utf8());
    return;
  }
  *static_cast<ScriptContext**>(lua_getextraspace(L)) = &context;
  OpenLibraries(L);
  RegisterPortCalls(L);
  RegisterLineCalls(L);
  RegisterBasicCalls(L);
  lua_sethook(L, LookForEnd, LUA_MASKCOUNT, 1000);
  const std::string chunkName = "=" + _Source.Name;
  if (luaL_loadbufferx(L, _Source.Text.data(), _Source.Text.size(), chunkName.c_str(), "t") != LUA_OK)
    Errored(ErrorText(L, _Source.Name));
  else
    RunChunk(L, context);
  lua_close(L);
}

void ScriptRun::RunChunk(lua_State* L, ScriptContext& Context) {
  lua_pushcfunction(L, WithTraceback);
  lua_insert(L, -2);
  const int result = lua_pcall(L, 0, 0, -2);
  if (Context.ExitStatus >= 0) {
    _Outcome = Outcome::Exited;
    _nStatus = Context.ExitStatus;
  } else if (result == LUA_OK) {
    _Outcome = Outcome::Finished;
    _nStatus = kPassed;
  } else if (_Session->Ending()) {
    _Outcome = Outcome::Stopped;
    _nStatus = kError;
  } else {
    Errored(ErrorText(L, _Source.Name));
  }
}

void ScriptRun::Errored(const std::string& Message) {
  _Outcome = Outcome::Error;
  _nStatus = kError;
  // "test.lua:12: ..." names the line.
  const std::string prefix = _Source.Name + ":";
  if (Message.starts_with(prefix)) _nErrorLine = std::atoi(Message.c_str() + prefix.size());
  Output.Error(Message);
}
