// What forms tell the application about themselves.
#pragma once

#include "message_loop.h"
#include "toolkit/forms.h"

class ApplicationAccess {
 public:
  // A form going away stops being the main form.
  static void FormDestroyed(TForm* form) {
    if (Application->mainForm_ != form) return;
    Application->mainForm_ = nullptr;
    SetMainLoopExpected(false);
  }
};
