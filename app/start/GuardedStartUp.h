// Runs the program's start-up so that an error escaping it is shown with the
// application's standard error display before the program ends normally.
#pragma once

// Runs StartUp; whatever it throws is shown (a non-toolkit error as one with
// an empty message). Returns the program's exit code, 0.
int RunGuarded(void (*StartUp)());
