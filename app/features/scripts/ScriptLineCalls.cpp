// The script's calls on a port's line: its settings, flow control, DTR and
// RTS, a break and the reset pulse, all through the panel's own features.
#include <cctype>

#include "ScriptLua.h"
#include "ScriptSession.h"

namespace {

std::string Lower(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Text;
}

// The setting's value in the table at Arg, or nil (left on the stack).
bool Field(lua_State* L, int Arg, const char* Name) {
  lua_getfield(L, Arg, Name);
  if (!lua_isnil(L, -1)) return true;
  lua_pop(L, 1);
  return false;
}

// The text on top of the stack, or "" for what is not text.
std::string FieldText(lua_State* L) {
  if (lua_type(L, -1) != LUA_TSTRING) return "";
  return lua_tostring(L, -1);
}

char ParityOf(lua_State* L, int Arg) {
  const std::string parity = Lower(FieldText(L));
  static const char* const kWords[] = {"none", "odd", "even", "mark", "space"};
  for (const char* word : kWords)
    if (parity == word || parity == std::string(1, word[0])) return static_cast<char>(std::toupper(word[0]));
  ArgumentError(L, Arg, Tr("Scripts", "parity 应为 N、O、E、M、S 之一（或 none、odd、even、mark、space）"));
}

int FlowOf(lua_State* L, int Arg) {
  const std::string flow = Lower(FieldText(L));
  static const char* const kFlows[] = {"none", "rtscts", "xonxoff"};
  for (int n = 0; n < 3; ++n)
    if (flow == kFlows[n]) return n;
  ArgumentError(L, Arg, Tr("Scripts", "flow 应为 \"none\"、\"rtscts\" 或 \"xonxoff\""));
}

int SetLine(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  if (!lua_istable(L, 2)) ArgumentError(L, 2, Tr("Scripts", "应为设置表，如 {baud=115200, parity=\"N\"}"));
  ScriptSession::LineSettings settings;
  // Each read leaves its value on top of the stack, where the readers look.
  if (Field(L, 2, "baud")) settings.Baud = static_cast<int>(IntegerField(L, 2, "baud", 50, 4000000));
  if (Field(L, 2, "parity")) settings.Parity = ParityOf(L, 2);
  if (Field(L, 2, "data")) settings.DataBits = static_cast<int>(IntegerField(L, 2, "data", 5, 8));
  if (Field(L, 2, "stop")) settings.StopBits = static_cast<int>(IntegerField(L, 2, "stop", 1, 2));
  if (Field(L, 2, "flow")) settings.Flow = FlowOf(L, 2);
  Context.Session.SetLine(panel, settings);
  return 0;
}

int SetDtr(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  Context.Session.SetDtr(panel, BooleanArg(L, 2));
  return 0;
}

int SetRts(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  Context.Session.SetRts(panel, BooleanArg(L, 2));
  return 0;
}

int SendBreak(lua_State* L, ScriptContext& Context) {
  const int panel = PanelArg(L, 1, Context);
  const int ms = lua_isnoneornil(L, 2) ? 250 : static_cast<int>(IntegerArg(L, 2, 1, 10000));
  Context.Session.SendBreak(panel, ms);
  return 0;
}

int ResetPulse(lua_State* L, ScriptContext& Context) {
  Context.Session.ResetPulse(PanelArg(L, 1, Context));
  return 0;
}

}  // namespace

void RegisterLineCalls(lua_State* L) {
  const luaL_Reg calls[] = {
      {"set_line", Guarded<SetLine>},     {"set_dtr", Guarded<SetDtr>},         {"set_rts", Guarded<SetRts>},
      {"send_break", Guarded<SendBreak>}, {"reset_pulse", Guarded<ResetPulse>}, {nullptr, nullptr},
  };
  lua_pushglobaltable(L);
  luaL_setfuncs(L, calls, 0);
  lua_pop(L, 1);
}
