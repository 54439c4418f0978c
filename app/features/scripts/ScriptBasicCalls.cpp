// The script's calls that need no port: its output, time, files it writes,
// checksums, hexadecimal text, and how it ends.
#include <windows.h>

#include "Checksums.h"
#include "FileAppender.h"
#include "FileErrorText.h"
#include "SavedFiles.h"
#include "ScriptBytes.h"
#include "ScriptLua.h"
#include "ScriptOutput.h"
#include "ScriptSession.h"

#include <toolkit/threads.h>

namespace {

// As Lua's own print: each value as tostring makes it, tab-separated, on a
// line of the output. Made in Lua's buffer, since a value's __tostring may
// raise an error.
int Print(lua_State* L) {
  const int count = lua_gettop(L);
  luaL_Buffer line;
  luaL_buffinit(L, &line);
  for (int n = 1; n <= count; ++n) {
    if (n > 1) luaL_addchar(&line, '\t');
    luaL_tolstring(L, n, nullptr);
    luaL_addvalue(&line);
  }
  luaL_pushresult(&line);
  size_t length = 0;
  const char* text = lua_tolstring(L, -1, &length);
  bool ending = false;
  try {
    ContextOf(L).Output.Print(std::string(text, length));
    ending = ContextOf(L).Session.Ending();
  } catch (const std::bad_alloc&) {
    // Nothing printed; the script goes on.
  }
  if (ending) {
    lua_pushlightuserdata(L, EndKey());
    return lua_error(L);
  }
  return 0;
}

int SleepFor(lua_State* L, ScriptContext& Context) {
  Context.Session.Sleep(MillisecondsArg(L, 1, 0));
  return 0;
}

int Clock(lua_State* L, ScriptContext& Context) {
  LARGE_INTEGER now;
  LARGE_INTEGER frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  lua_pushnumber(
      L, static_cast<lua_Number>(now.QuadPart - Context.Start) * 1000.0 / static_cast<lua_Number>(frequency.QuadPart));
  return 1;
}

// Through a file writer of its own, as every file the program writes; the
// script waits until the file is whole, or stops waiting when it is
// stopped.
int WriteWholeFile(lua_State* L, ScriptContext& Context) {
  const std::string name = FileArg(L, 1, Context);
  std::string text = TextArg(L, 2);
  auto writer = std::make_unique<FileAppender>();
  const DWORD error = writer->Start(name.c_str());
  if (error != ERROR_SUCCESS)
    throw ScriptError(Fill(Tr("Scripts", "不能写文件 %1：%2"), {String(name), FileErrorText(error)}));
  writer->Append(std::move(text));
  writer->Finish();
  try {
    while (!writer->Ended()) Context.Session.Sleep(5);
  } catch (const ScriptEnd&) {
    // A writer still writing (a pipe nobody reads) must outlive this call.
    FileAppender* left = writer.release();
    TThread::Synchronize([left, &name] { RetireFileWriter(std::unique_ptr<FileAppender>(left), String(name), false); });
    throw;
  }
  if (writer->Error() != ERROR_SUCCESS)
    throw ScriptError(Fill(Tr("Scripts", "不能写文件 %1：%2"), {String(name), FileErrorText(writer->Error())}));
  return 0;
}

int ChecksumOf(lua_State* L, ScriptContext&) {
  const std::string kind = TextArg(L, 1);
  Checksum checksum = Checksum::None;
  if (!ChecksumFromKey(kind, checksum) || checksum == Checksum::None)
    ArgumentError(L, 1, Tr("Scripts", "应为 modbus、ccitt-false、xmodem、crc8、crc32、sum8 或 xor8"));
  const std::string bytes = TextArg(L, 2);
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::vector<std::uint8_t> appended = ChecksumBytes(checksum, data, bytes.size());
  lua_pushlstring(L, reinterpret_cast<const char*>(appended.data()), appended.size());
  lua_pushinteger(L, static_cast<lua_Integer>(ChecksumValue(checksum, data, bytes.size())));
  return 2;
}

int ToHex(lua_State* L, ScriptContext&) {
  const std::string text = HexPairsOf(TextArg(L, 1));
  lua_pushlstring(L, text.data(), text.size());
  return 1;
}

int FromHex(lua_State* L, ScriptContext&) {
  std::string bytes;
  if (!BytesOfHexPairs(TextArg(L, 1), bytes)) ArgumentError(L, 1, Tr("Scripts", "应为十六进制字节，如 \"01 03 0A\""));
  lua_pushlstring(L, bytes.data(), bytes.size());
  return 1;
}

int Exit(lua_State* L, ScriptContext& Context) {
  Context.ExitStatus = lua_isnoneornil(L, 1) ? 0 : static_cast<int>(IntegerArg(L, 1, 0, 255));
  throw ScriptEnd();
}

int Fail(lua_State* L, ScriptContext& Context) {
  const std::string why = lua_isnoneornil(L, 1) ? std::string() : TextArg(L, 1);
  lua_Debug caller;
  std::string where;
  if (lua_getstack(L, 1, &caller) && lua_getinfo(L, "Sl", &caller) && caller.currentline > 0)
    where = std::string(caller.short_src) + ":" + std::to_string(caller.currentline) + ": ";
  Context.Output.Error(where + Fill(Tr("Scripts", "失败：%1"), {String(why)}).Utf8());
  Context.ExitStatus = 1;
  throw ScriptEnd();
}

}  // namespace

void RegisterBasicCalls(lua_State* L) {
  const luaL_Reg calls[] = {
      {"print", Print},
      {"sleep", Guarded<SleepFor>},
      {"clock", Guarded<Clock>},
      {"write_file", Guarded<WriteWholeFile>},
      {"checksum", Guarded<ChecksumOf>},
      {"to_hex", Guarded<ToHex>},
      {"from_hex", Guarded<FromHex>},
      {"exit", Guarded<Exit>},
      {"fail", Guarded<Fail>},
      {nullptr, nullptr},
  };
  lua_pushglobaltable(L);
  luaL_setfuncs(L, calls, 0);
  lua_pop(L, 1);
}
