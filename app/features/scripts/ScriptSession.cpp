// The session's own workings: beginning and detaching, port names, the
// check of a port the script uses, and calls run on the window thread.
#include "ScriptSession.h"

#include <toolkit/threads.h>

#include <cctype>

#include "DevicePanel.h"
#include "ScriptError.h"

ScriptSession::ScriptSession(DevicePanel* const (&Panels)[2], const ScriptLineControls (&Controls)[2])
    : panels_{Panels[0], Panels[1]},
      controls_{Controls[0], Controls[1]},
      hEnd_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

ScriptSession::~ScriptSession() { CloseHandle(hEnd_); }

void ScriptSession::Begin() {
  for (int index = 0; index < 2; ++index) {
    if (panels_[index] == nullptr) continue;
    taps_[index].Begin(panels_[index]->PortOpen());
    panels_[index]->Channel->AddTap(&taps_[index]);
  }
  RefreshFacts();
}

void ScriptSession::Detach() {
  for (int index = 0; index < 2; ++index) {
    if (panels_[index] == nullptr) continue;
    // Once RemoveTap returns, the reading thread calls the tap no more.
    panels_[index]->Channel->RemoveTap(&taps_[index]);
    panels_[index] = nullptr;
  }
}

void ScriptSession::RefreshFacts() {
  for (int index = 0; index < 2; ++index)
    if (DevicePanel* panel = panels_[index])
      taps_[index].SetFacts(panel->Port->Text.Get().Trim().Utf8(), panel->Receive->Choices().CodePage);
}

void ScriptSession::PortOpened(int Panel) {
  RefreshFacts();
  taps_[Panel].PortOpened();
}

void ScriptSession::PortClosed(int Panel, PortCloseReason Reason) { taps_[Panel].PortClosed(Reason); }

void ScriptSession::End() {
  ending_ = true;
  SetEvent(hEnd_);
}

namespace {

std::string Upper(std::string Text) {
  for (char& c : Text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return Text;
}

}  // namespace

int ScriptSession::PanelNamed(const std::string& Name) {
  // Both panels may name the port while closed: the open one is meant.
  const std::string wanted = Upper(Name);
  int found = -1;
  for (int index = 0; index < 2; ++index) {
    const ScriptTap::State state = taps_[index].Peek();
    if (Upper(state.PortName) == wanted && (found < 0 || state.Open)) found = index;
  }
  if (found < 0) throw ScriptError(Fill(Tr("Scripts", "没有面板使用端口 %1"), {String(Name)}));
  return found;
}

std::string ScriptSession::PortName(int Panel) { return taps_[Panel].Peek().PortName; }

String ScriptSession::Port(int Panel, const ScriptTap::State& State) const {
  return Fill(Tr("Scripts", "设备%1（%2）"), {IntToStr(Panel + 1), String(State.PortName)});
}

void ScriptSession::CheckPort(int Panel, const ScriptTap::State& State, bool OpenPort) {
  if (ending_) throw ScriptEnd();
  if (State.Changes != seenChanges_[Panel]) {
    // Told once: a script that goes on finds the port as it is now.
    seenChanges_[Panel] = State.Changes;
    if (!State.Open && State.LastClose == PortCloseReason::Lost)
      throw ScriptError(Fill(Tr("Scripts", "%1 的设备在脚本运行时断开了"), {Port(Panel, State)}));
    if (!State.Open) throw ScriptError(Fill(Tr("Scripts", "%1 在脚本运行时被关闭了"), {Port(Panel, State)}));
    throw ScriptError(Fill(Tr("Scripts", "%1 在脚本运行时被关闭后又打开了"), {Port(Panel, State)}));
  }
  if (OpenPort && !State.Open) throw ScriptError(Fill(Tr("Scripts", "%1 没有打开"), {Port(Panel, State)}));
}

void ScriptSession::OnPanel(int Panel, PortUse Use, const std::function<void(DevicePanel&)>& Work) {
  if (ending_) throw ScriptEnd();
  std::string error;
  bool gone = false;
  const bool ran = TThread::Synchronize([&] {
    if (panels_[Panel] == nullptr) {
      gone = true;
      return;
    }
    try {
      if (Use == PortUse::Open || Use == PortUse::Unchanged)
        CheckPort(Panel, taps_[Panel].Peek(), Use == PortUse::Open);
      Work(*panels_[Panel]);
      if (Use == PortUse::OpenOrClose) seenChanges_[Panel] = taps_[Panel].Peek().Changes;
    } catch (const ScriptError& failure) {
      error = failure.what();
    } catch (const Exception& failure) {
      error = failure.Message.Utf8();
    } catch (const ScriptEnd&) {
      gone = true;
    }
  });
  if (!ran || gone) {
    if (ending_) throw ScriptEnd();
    throw ScriptError(Tr("Scripts", "窗口已关闭"));
  }
  if (!error.empty()) throw ScriptError(error);
}

void ScriptSession::Absorb(int Panel, bool OpenPort) {
  std::string bytes;
  const ScriptTap::State state = taps_[Panel].Take(bytes);
  ReceivedText& text = texts_[Panel];
  text.SetCodePage(state.CodePage);
  if (!bytes.empty()) text.Add(bytes);
  CheckPort(Panel, state, OpenPort);
}

bool ScriptSession::WaitUntil(int Panel, DWORD TimeoutMs, const std::function<bool(ReceivedText&)>& Done) {
  const ULONGLONG deadline = GetTickCount64() + TimeoutMs;
  for (;;) {
    Absorb(Panel, true);
    if (Done(texts_[Panel])) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    const HANDLE handles[2] = {hEnd_, taps_[Panel].Changed()};
    if (WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(deadline - now)) == WAIT_OBJECT_0)
      throw ScriptEnd();
  }
}

void ScriptSession::WaitWhile(int Panel, const std::function<bool(DevicePanel&)>& Condition) {
  for (;;) {
    bool holds = false;
    OnPanel(Panel, PortUse::Unchanged, [&](DevicePanel& panel) { holds = Condition(panel); });
    if (!holds) return;
    Sleep(5);
  }
}

void ScriptSession::Sleep(DWORD Ms) {
  if (WaitForSingleObject(hEnd_, Ms) == WAIT_OBJECT_0) throw ScriptEnd();
}
