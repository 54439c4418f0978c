#include "ScriptWithoutWindow.h"

#include <toolkit/toolkit.h>

#include <cstdio>

#include "FileErrorText.h"
#include "PanelLanguage.h"
#include "PanelScripts.h"
#include "ScriptFile.h"
#include "StartChoicesMade.h"
#include "Unit1.h"

namespace {

void Complain(const String& Text) {
  std::fprintf(stderr, "kestrix: %s\n", Text.c_str());
  std::fflush(stderr);
}

// The window goes as at the session's end: unasked, its ports closed in
// order, once the message loop takes the message.
void EndWindow() { PostMessageA(Form1->Handle, WM_ENDSESSION, TRUE, 0); }

}  // namespace

int RunScriptWithoutWindow(const StartChoices& Choices) {
  std::string text;
  const DWORD readError = ReadScriptFile(*Choices.Script, text);
  Application->InitializeWithoutScreen();
  UseLanguage(PanelLanguage::Remembered());
  Application->Title = "Kestrix";
  if (readError != ERROR_SUCCESS) {
    Complain(Fill(Tr("Scripts", "不能读脚本 %1：%2"), {String(*Choices.Script), FileErrorText(readError)}));
    return ScriptRun::kError;
  }
  Application->CreateForm(Form1);
  StartChoices boxes = Choices;
  boxes.Open = false;  // opened below, where a refusal ends the run
  MakeStartChoices(*Form1, boxes);
  int status = ScriptRun::kError;
  bool opened = true;
  for (int index = 0; index < 2 && opened; ++index) {
    if (!Choices.Panels[index].Port) continue;
    const String refusal = Form1->Panels[index]->OpenSilently();
    if (!refusal.IsEmpty()) {
      Complain(refusal);
      opened = false;
    }
  }
  ScriptHost& host = Form1->Panels[0]->Find<PanelScripts>()->Host;
  String why;
  if (!opened) {
    EndWindow();
  } else if (!host.Start(ScriptOf(text, *Choices.Script), true, why)) {
    Complain(why);
    EndWindow();
  } else {
    host.Ended = [&status](const ScriptRun& Run) {
      status = Run.Status();
      EndWindow();
    };
  }
  // The host goes with the form when the run ends; its Ended call only
  // ever runs while the form and status live.
  Application->Run();
  return status;
}
