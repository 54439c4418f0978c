// Shortcuts: virtual-key codes with modifier bits, turned into Qt keys and
// into the "Ctrl+Shift+O" text that menus show.
#include "shortcut_keys.h"

#include <array>
#include <utility>

#include "qt_text.h"

namespace {

// Virtual keys whose Qt key is not their own code.
constexpr std::array<std::pair<int, Qt::Key>, 19> kNamedKeys = {{
    {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},    {0x0D, Qt::Key_Return},   {0x1B, Qt::Key_Escape},
    {0x20, Qt::Key_Space},     {0x21, Qt::Key_PageUp}, {0x22, Qt::Key_PageDown}, {0x23, Qt::Key_End},
    {0x24, Qt::Key_Home},      {0x25, Qt::Key_Left},   {0x26, Qt::Key_Up},       {0x27, Qt::Key_Right},
    {0x28, Qt::Key_Down},      {0x2D, Qt::Key_Insert}, {0x2E, Qt::Key_Delete},   {0x5D, Qt::Key_Menu},
    {0xBB, Qt::Key_Plus},   // VK_OEM_PLUS
    {0xBD, Qt::Key_Minus},  // VK_OEM_MINUS
    {0xC0, Qt::Key_QuoteLeft},
}};

constexpr int kF1 = 0x70;
constexpr int kF24 = 0x87;

int ToQtKey(int virtualKey) {
  if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) return virtualKey;
  if (virtualKey >= kF1 && virtualKey <= kF24) return Qt::Key_F1 + (virtualKey - kF1);
  for (auto [vk, key] : kNamedKeys)
    if (vk == virtualKey) return key;
  return 0;
}

}  // namespace

int ToVirtualKey(int qtKey) {
  if ((qtKey >= '0' && qtKey <= '9') || (qtKey >= 'A' && qtKey <= 'Z')) return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return kF1 + (qtKey - Qt::Key_F1);
  if (qtKey == Qt::Key_Enter) return 0x0D;
  for (auto [vk, key] : kNamedKeys)
    if (key == qtKey) return vk;
  return 0;
}

QKeySequence ToKeySequence(TShortCut shortCut) {
  int key = ToQtKey(shortCut & 0xFF);
  if (key == 0) return QKeySequence();
  Qt::KeyboardModifiers modifiers;
  if (shortCut & scShift) modifiers |= Qt::ShiftModifier;
  if (shortCut & scCtrl) modifiers |= Qt::ControlModifier;
  if (shortCut & scAlt) modifiers |= Qt::AltModifier;
  return QKeySequence(QKeyCombination(modifiers, Qt::Key(key)));
}

TShortCut TextToShortCut(const String& Text) {
  QKeySequence sequence = QKeySequence::fromString(ToQString(Text), QKeySequence::PortableText);
  if (sequence.count() != 1) return 0;
  QKeyCombination combination = sequence[0];
  int key = ToVirtualKey(combination.key());
  if (key == 0) return 0;
  Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
  TShortCut shortCut = static_cast<TShortCut>(key);
  if (modifiers & Qt::ShiftModifier) shortCut |= scShift;
  if (modifiers & Qt::ControlModifier) shortCut |= scCtrl;
  if (modifiers & Qt::AltModifier) shortCut |= scAlt;
  return shortCut;
}

String ShortCutToText(TShortCut ShortCut) {
  return FromQString(ToKeySequence(ShortCut).toString(QKeySequence::PortableText));
}
