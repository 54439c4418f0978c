// Start-up: the application object, its title and the main window, guarded
// so that an error escaping the message loop is shown before the program
// ends.
#include <toolkit/toolkit.h>

#include "Unit1.h"

int main() {
  try {
    Application->Initialize();
    Application->Title = "Kestrix";
    Application->CreateForm(Form1);
    Application->Run();
  } catch (Exception& exception) {
    Application->ShowException(&exception);
  } catch (...) {
    try {
      throw Exception("");
    } catch (Exception& exception) {
      Application->ShowException(&exception);
    }
  }
  return 0;
}
