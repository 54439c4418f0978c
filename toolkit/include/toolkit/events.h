// Event closures: any callable, typically a lambda bound to the form,
// `Button1->OnClick = [this](TObject* Sender) { Button1Click(Sender); };`.
#pragma once

#include <functional>
#include <utility>

class TObject;

enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

// Binds a member handler: `Button1->OnClick = Bind(this, &TForm1::Button1Click);`.
template <typename Object, typename Handler>
auto Bind(Object* object, Handler handler) {
  return [object, handler](auto&&... args) { return (object->*handler)(std::forward<decltype(args)>(args)...); };
}
