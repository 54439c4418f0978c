#include "ScriptHost.h"

#include <toolkit/threads.h>

#include "DevicePanel.h"
#include "ScriptSession.h"
#include "ScriptWindow.h"

namespace {

// How long the window waits at its end for a run to notice its stop.
constexpr DWORD kRunEndWaitMs = 3000;

}  // namespace

ScriptHost::ScriptHost(TComponent* Owner) : owner_(Owner) {}

ScriptHost::~ScriptHost() { EndRun(); }

void ScriptHost::Attach(DevicePanel& Panel, const ScriptLineControls& Controls) {
  panels_[Panel.Index] = &Panel;
  controls_[Panel.Index] = Controls;
}

void ScriptHost::Detach(int Index) {
  EndRun();
  panels_[Index] = nullptr;
}

bool ScriptHost::Start(const ScriptRun::Script& Source, bool Console, String& Why) {
  if (Running()) {
    Why = Tr("Scripts", "已有脚本在运行");
    return false;
  }
  EndRun();  // the last run's thread has ended, or ends now
  if (panels_[0] == nullptr || panels_[1] == nullptr) {
    Why = Tr("Scripts", "窗口已关闭");
    return false;
  }
  session_ = std::make_shared<ScriptSession>(panels_, controls_);
  session_->Begin();
  run_ = std::make_shared<ScriptRun>(Source, session_, Console);
  run_->OnEnded = [this] { RunEnded(); };
  ended_ = false;
  if (!ScriptRun::Start(run_)) {
    ended_ = true;
    session_->Detach();
    Why = Tr("Scripts", "不能启动脚本的线程");
    return false;
  }
  if (window_) window_->RunStarted(Source.Name);
  return true;
}

void ScriptHost::Stop() {
  if (Running()) run_->Stop();
}

void ScriptHost::RunEnded() {
  // The run's thread waits for this to return: it is not waited for here.
  ended_ = true;
  session_->Detach();
  ShowOutput();
  if (window_) window_->RunEnded(*run_);
  if (Ended) Ended(*run_);
}

void ScriptHost::EndRun() {
  if (!run_) return;
  if (!ended_) {
    run_->Stop();
    // A call the run makes on the window thread meanwhile finds no panel.
    session_->Detach();
    ended_ = true;
  }
  // A run stuck in Lua's own code past the wait keeps its objects (its
  // thread holds them); only the process's end takes it.
  run_->OnEnded = nullptr;
  TThread::WaitFor(run_->Thread(), kRunEndWaitMs);
  run_.reset();
  session_.reset();
}

void ScriptHost::ShowOutput() {
  if (!run_) return;
  const std::string text = run_->Output.Take();
  if (window_ && !text.empty()) window_->ShowOutput(text);
}

void ScriptHost::Tick() {
  if (!Running()) return;
  session_->RefreshFacts();
  ShowOutput();
}

void ScriptHost::PortOpened(int Index) {
  if (Running()) session_->PortOpened(Index);
}

void ScriptHost::PortClosed(int Index, PortCloseReason Reason) {
  if (Running()) session_->PortClosed(Index, Reason);
}

void ScriptHost::ShowWindow() {
  if (!window_) window_ = std::make_unique<ScriptWindow>(*this);
  window_->Show();
}
