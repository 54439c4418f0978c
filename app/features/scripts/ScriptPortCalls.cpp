// The script's calls on ports: sending, waiting for what comes, opening and
// closing, the counters. Each names its port first: 1, 2 or "COM3".
#include "ScriptBytes.h"
#include "ScriptLua.h"
#include "ScriptRegex.h"
#include "ScriptSession.h"

namespace {

int Send(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  const std::string text = TextArg(L, 2);
  const size_t bad = FirstNonUtf8(text);
  if (bad != std::string::npos)
    ArgumentError(L, 2,
                  Fill(Tr("Scripts", "第 %1 个字节起不是 UTF-8 文本：字节请用 send_bytes 或 send_hex 发送"),
                       {IntToStr(static_cast<int>(bad) + 1)}));
  PanelSend send;
  send.Text = String(text);
  Context.Session.Send(panel, std::move(send));
  return 0;
}

void SendRaw(ScriptContext& Context, int Panel, const std::string& Bytes) {
  PanelSend send;
  send.Bytes = Bytes;
  Context.Session.Send(Panel, std::move(send));
}

int SendHex(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  std::string bytes;
  if (!BytesOfHexPairs(TextArg(L, 2), bytes)) ArgumentError(L, 2, Tr("Scripts", "应为十六进制字节，如 \"01 03 0A\""));
  SendRaw(Context, panel, bytes);
  return 0;
}

int SendBytes(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  SendRaw(Context, panel, TextArg(L, 2));
  return 0;
}

int SendFile(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  Context.Session.SendFile(panel, FileArg(L, 2, Context));
  return 0;
}

// matched, before and the captures; or nil and what came meanwhile.
int PushExpected(lua_State* L, const ScriptSession::Expected& Result) {
  if (!Result.Found) {
    lua_pushnil(L);
    lua_pushlstring(L, Result.Before.data(), Result.Before.size());
    return 2;
  }
  lua_pushlstring(L, Result.Matched.data(), Result.Matched.size());
  lua_pushlstring(L, Result.Before.data(), Result.Before.size());
  for (const std::string& group : Result.Groups) lua_pushlstring(L, group.data(), group.size());
  return 2 + static_cast<int>(Result.Groups.size());
}

int Expect(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  const std::string text = TextArg(L, 2);
  const DWORD timeout = MillisecondsArg(L, 3, ScriptSession::kDefaultTimeoutMs);
  return PushExpected(L, Context.Session.Expect(panel, text, timeout));
}

int ExpectRegex(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  ScriptRegex regex;
  std::string error;
  if (!regex.Compile(TextArg(L, 2), error))
    ArgumentError(L, 2, Fill(Tr("Scripts", "正则表达式不对：%1"), {String(error)}));
  const DWORD timeout = MillisecondsArg(L, 3, ScriptSession::kDefaultTimeoutMs);
  if (!lua_checkstack(L, 64)) throw ScriptError(std::string("not enough memory"));
  return PushExpected(L, Context.Session.Expect(panel, regex, timeout));
}

int ReadBytes(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  const auto count = static_cast<size_t>(IntegerArg(L, 2, 0, ReceivedText::kKeptBytes));
  const DWORD timeout = MillisecondsArg(L, 3, ScriptSession::kDefaultTimeoutMs);
  std::string bytes;
  const bool whole = Context.Session.ReadBytes(panel, count, timeout, bytes);
  if (!whole) lua_pushnil(L);
  lua_pushlstring(L, bytes.data(), bytes.size());
  return whole ? 1 : 2;
}

int WaitQuiet(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  const DWORD quiet = MillisecondsArg(L, 2, 0);
  const DWORD timeout = MillisecondsArg(L, 3, ScriptSession::kDefaultTimeoutMs);
  lua_pushboolean(L, Context.Session.WaitQuiet(panel, quiet, timeout));
  return 1;
}

int PendingText(lua_State* L, ScriptContext& Context, bool Take) {
  const std::string text = Context.Session.Pending(PanelArg(L, 1, Context), Take);
  lua_pushlstring(L, text.data(), text.size());
  return 1;
}

int Pending(lua_State* L, ScriptContext& Context) { return PendingText(L, Context, false); }
int Discard(lua_State* L, ScriptContext& Context) { return PendingText(L, Context, true); }

int Open(lua_State* L, ScriptContext& Context) {
  Context.Session.Open(PanelArg(L, 1, Context));
  return 0;
}

int Close(lua_State* L, ScriptContext& Context) {
  Context.Session.Close(PanelArg(L, 1, Context));
  return 0;
}

int IsOpen(lua_State* L, ScriptContext& Context) {
  lua_pushboolean(L, Context.Session.IsOpen(PanelArg(L, 1, Context)));
  return 1;
}

int PortName(lua_State* L, ScriptContext& Context) {
  const std::string name = Context.Session.PortName(PanelArg(L, 1, Context));
  lua_pushlstring(L, name.data(), name.size());
  return 1;
}

int Counters(lua_State* L, ScriptContext& Context) {
  ULONGLONG sent = 0;
  ULONGLONG received = 0;
  Context.Session.Counters(PanelArg(L, 1, Context), sent, received);
  lua_pushinteger(L, static_cast<lua_Integer>(sent));
  lua_pushinteger(L, static_cast<lua_Integer>(received));
  return 2;
}

}  // namespace

void RegisterPortCalls(lua_State* L) {
  const luaL_Reg calls[] = {
      {"send", Guarded<Send>},
      {"send_hex", Guarded<SendHex>},
      {"send_bytes", Guarded<SendBytes>},
      {"send_file", Guarded<SendFile>},
      {"expect", Guarded<Expect>},
      {"expect_regex", Guarded<ExpectRegex>},
      {"read_bytes", Guarded<ReadBytes>},
      {"wait_quiet", Guarded<WaitQuiet>},
      {"pending", Guarded<Pending>},
      {"discard", Guarded<Discard>},
      {"open", Guarded<Open>},
      {"close", Guarded<Close>},
      {"is_open", Guarded<IsOpen>},
      {"port_name", Guarded<PortName>},
      {"counters", Guarded<Counters>},
      {nullptr, nullptr},
  };
  lua_pushglobaltable(L);
  luaL_setfuncs(L, calls, 0);
  lua_pop(L, 1);
}
