// The program's scripts: one host for the window, shared by both panels'
// PanelScripts. It makes the script window on first use, runs one script
// at a time against both panels (ScriptRun, ScriptSession), hands what the
// script prints to the window's output pane at each tick, and remembers the
// scripts opened last. Window thread.
#pragma once

#include <functional>
#include <memory>

#include <toolkit/toolkit.h>

#include "PanelFeature.h"
#include "ScriptLineControls.h"
#include "ScriptRun.h"
#include "ScriptRunner.h"

class DevicePanel;
class ScriptSession;
class ScriptWindow;

class ScriptHost final : public ScriptRunner {
 public:
  explicit ScriptHost(TComponent* Owner);
  // Ends a run still going.
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  void Attach(DevicePanel& Panel, const ScriptLineControls& Controls);
  // The panel goes: a run, which uses both panels, ends first.
  void Detach(int Index);

  bool Start(const ScriptRun::Script& Source, bool Console, String& Why) override;
  void Stop() override;
  bool Running() const override { return run_ != nullptr && !ended_; }
  // The run going or the last one; null before the first.
  const ScriptRun* LastRun() const { return run_.get(); }
  // Runs once a run has ended and its output is shown.
  std::function<void(const ScriptRun&)> Ended;

  // From the panels' features.
  void Tick();
  void PortOpened(int Index);
  void PortClosed(int Index, PortCloseReason Reason);

  // Opens the script window (made on first use).
  void ShowWindow();
  ScriptWindow* Window() const { return window_.get(); }

 private:
  void RunEnded();
  // Hands what the run printed to the window.
  void ShowOutput();
  // Stops the run and lets the panels go; waits a while for its thread.
  void EndRun();

  TComponent* const owner_;
  DevicePanel* panels_[2] = {nullptr, nullptr};
  ScriptLineControls controls_[2];
  std::unique_ptr<ScriptWindow> window_;
  std::shared_ptr<ScriptSession> session_;
  std::shared_ptr<ScriptRun> run_;
  bool ended_ = true;
};
