// Start-up: the application object, its title and the main window.
#include <toolkit/toolkit.h>

#include "GuardedStartUp.h"
#include "Unit1.h"

namespace {

void StartUp() {
  Application->Initialize();
  Application->Title = "Kestrix";
  Application->CreateForm(Form1);
  Application->Run();
}

}  // namespace

int main() { return RunGuarded(StartUp); }
