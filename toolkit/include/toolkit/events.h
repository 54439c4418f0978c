// Event closures: any callable, typically a lambda bound to the form,
// `Button1->OnClick = [this](TObject* Sender) { Button1Click(Sender); };`.
#pragma once

#include <functional>
#include <utility>

class TObject;

enum TCloseAction { caNone, caHide };

// The modifier keys held with a key.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;

// A key with its modifiers: the low byte is the virtual-key code (letters
// and digits are their upper-case ASCII codes, F1 is 0x70), the high bits
// the modifiers. 0 is no shortcut.
using TShortCut = unsigned short;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

using TNotifyEvent = std::function<void(TObject* Sender)>;
// Key is the virtual-key code; a handler that sets it to 0 keeps the key
// from the control.
using TKeyEvent = std::function<void(TObject* Sender, unsigned short& Key, TShiftState Shift)>;
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

// Binds a member handler: `Button1->OnClick = Bind(this, &TForm1::Button1Click);`.
template <typename Object, typename Handler>
auto Bind(Object* object, Handler handler) {
  return [object, handler](auto&&... args) { return (object->*handler)(std::forward<decltype(args)>(args)...); };
}
