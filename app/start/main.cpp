// Start-up: the command line, then the application object, its title and
// the main window, or a script run without one.
#include <toolkit/toolkit.h>

#include <cstdio>

#include "CommandLine.h"
#include "GuardedStartUp.h"
#include "PanelLanguage.h"
#include "ScriptWithoutWindow.h"
#include "StartChoicesMade.h"
#include "Unit1.h"
#include "cxLog.h"

namespace {

StartChoices Choices;  // what the command line chose

void StartUp() {
  Application->Initialize();
  UseLanguage(PanelLanguage::Remembered());
  Application->Title = "Kestrix";
  Application->CreateForm(Form1);
  MakeStartChoices(*Form1, Choices);
  Application->Run();
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLineOutcome outcome = ReadCommandLine(argc, argv, CxLog::LogFolder());
  std::fputs(outcome.Out.c_str(), stdout);
  std::fputs(outcome.Err.c_str(), stderr);
  if (!outcome.bStartWindow) return outcome.nExitCode;
  Choices = outcome.Choices;
  if (Choices.Script) return RunScriptWithoutWindow(Choices);
  return RunGuarded(StartUp);
}
