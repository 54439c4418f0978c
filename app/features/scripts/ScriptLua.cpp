#include "ScriptLua.h"

#include <cmath>

#include "ScriptSession.h"

ScriptContext& ContextOf(lua_State* L) { return **static_cast<ScriptContext**>(lua_getextraspace(L)); }

void* EndKey() {
  static char key;
  return &key;
}

void PushError(lua_State* L, const std::string& Text) {
  luaL_where(L, 1);
  lua_pushlstring(L, Text.data(), Text.size());
  lua_concat(L, 2);
}

void ArgumentError(lua_State* L, int Arg, const String& Why) {
  lua_Debug call;
  String name = "?";
  if (lua_getstack(L, 0, &call) && lua_getinfo(L, "n", &call) && call.name != nullptr) name = call.name;
  throw ScriptError(Fill(Tr("Scripts", "%1 的第 %2 个参数不对：%3"), {name, IntToStr(Arg), Why}));
}

namespace {

String TypeOf(lua_State* L, int Arg) { return String(luaL_typename(L, Arg)); }

}  // namespace

int PanelArg(lua_State* L, int Arg, ScriptContext& Context) {
  if (lua_type(L, Arg) == LUA_TSTRING) return Context.Session.PanelNamed(lua_tostring(L, Arg));
  if (lua_isinteger(L, Arg)) {
    const lua_Integer number = lua_tointeger(L, Arg);
    if (number == 1 || number == 2) return static_cast<int>(number - 1);
  }
  ArgumentError(L, Arg, Fill(Tr("Scripts", "应为面板号 1 或 2，或端口名如 \"COM3\"，却是 %1"), {TypeOf(L, Arg)}));
}

std::string TextArg(lua_State* L, int Arg) {
  const int type = lua_type(L, Arg);
  if (type != LUA_TSTRING && type != LUA_TNUMBER)
    ArgumentError(L, Arg, Fill(Tr("Scripts", "应为文本，却是 %1"), {TypeOf(L, Arg)}));
  size_t length = 0;
  const char* text = lua_tolstring(L, Arg, &length);
  return std::string(text, length);
}

namespace {

// The whole number at Index within Min and Max; false when it is none.
bool WholeNumberAt(lua_State* L, int Index, lua_Integer Min, lua_Integer Max, lua_Integer& Value) {
  bool whole = lua_isinteger(L, Index);
  if (whole) {
    Value = lua_tointeger(L, Index);
  } else if (lua_type(L, Index) == LUA_TNUMBER) {
    // 2.0 is 2; 2.5 is no whole number.
    const lua_Number number = lua_tonumber(L, Index);
    whole = std::floor(number) == number && std::fabs(number) < 9e15;
    Value = static_cast<lua_Integer>(number);
  }
  return whole && Value >= Min && Value <= Max;
}

String Range(lua_Integer Min, lua_Integer Max) {
  return Fill(Tr("Scripts", "%1 至 %2 的整数"), {String(std::to_string(Min)), String(std::to_string(Max))});
}

}  // namespace

lua_Integer IntegerArg(lua_State* L, int Arg, lua_Integer Min, lua_Integer Max) {
  lua_Integer value = 0;
  if (!WholeNumberAt(L, Arg, Min, Max, value)) ArgumentError(L, Arg, Fill(Tr("Scripts", "应为%1"), {Range(Min, Max)}));
  return value;
}

lua_Integer IntegerField(lua_State* L, int Arg, const char* Name, lua_Integer Min, lua_Integer Max) {
  lua_Integer value = 0;
  if (!WholeNumberAt(L, -1, Min, Max, value))
    ArgumentError(L, Arg, Fill(Tr("Scripts", "%1 应为%2"), {String(Name), Range(Min, Max)}));
  return value;
}

DWORD MillisecondsArg(lua_State* L, int Arg, DWORD Default) {
  if (lua_isnoneornil(L, Arg)) return Default;
  return static_cast<DWORD>(IntegerArg(L, Arg, 0, ScriptSession::kLongestWaitMs));
}

bool BooleanArg(lua_State* L, int Arg) {
  if (lua_type(L, Arg) == LUA_TBOOLEAN) return lua_toboolean(L, Arg) != 0;
  if (lua_isinteger(L, Arg) && (lua_tointeger(L, Arg) == 0 || lua_tointeger(L, Arg) == 1))
    return lua_tointeger(L, Arg) == 1;
  ArgumentError(L, Arg, Fill(Tr("Scripts", "应为 true 或 false，却是 %1"), {TypeOf(L, Arg)}));
}

std::string FileArg(lua_State* L, int Arg, const ScriptContext& Context) {
  const std::string name = TextArg(L, Arg);
  if (name.empty()) ArgumentError(L, Arg, Tr("Scripts", "文件名是空的"));
  if (name.find('\0') != std::string::npos) ArgumentError(L, Arg, Tr("Scripts", "文件名里有零字节"));
  const bool absolute = name[0] == '/' || name[0] == '\\' || (name.size() > 1 && name[1] == ':');
  if (absolute || Context.Folder.empty()) return name;
  return Context.Folder + "/" + name;
}
