#include "GuardedStartUp.h"

#include <toolkit/toolkit.h>

int RunGuarded(void (*StartUp)()) {
  try {
    StartUp();
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
