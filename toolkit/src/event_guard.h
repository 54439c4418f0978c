// The boundary between Qt and the program's handlers: an exception escaping
// a handler is shown with the application's standard error display and goes
// no further.
#pragma once

#include <functional>

class TObject;

void CallGuarded(TObject* sender, const std::function<void()>& handler);
