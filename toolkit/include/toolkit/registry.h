// Registry access on the Reg* calls of the Win32 layer. Names and text data
// are in the ANSI code page there and UTF-8 here.
#pragma once

#include <windows.h>

#include "toolkit/classes.h"
#include "toolkit/exceptions.h"
#include "toolkit/property.h"
#include "toolkit/string_lists.h"

class TRegistry : public TObject {
 public:
  // Keys are opened with the given access (all access by default).
  TRegistry();
  explicit TRegistry(REGSAM AAccess);
  ~TRegistry() override;  // closes the current key

  // Changing the root closes the current key. HKEY_CURRENT_USER by default.
  Property<HKEY> RootKey;
  Property<REGSAM> Access;
  // The open key, null when none is open.
  ReadOnlyProperty<HKEY> CurrentKey;

  // Opens Key under the root, closing any key open before. With CanCreate a
  // missing key is created (RegCreateKeyExA), otherwise it is only opened
  // (RegOpenKeyExA). False when that fails; no key is open then.
  bool OpenKey(const String& Key, bool CanCreate);
  void CloseKey();
  // Replaces Strings' contents with the names of the open key's values
  // (empty when no key is open).
  void GetValueNames(TStrings* Strings);
  bool ValueExists(const String& Name);
  // The value's text; empty when the value does not exist or no key is
  // open. Raises ERegistryException for data that is not text.
  String ReadString(const String& Name);

 private:
  HKEY rootKey_ = HKEY_CURRENT_USER;
  REGSAM access_;
  HKEY currentKey_ = nullptr;
};
