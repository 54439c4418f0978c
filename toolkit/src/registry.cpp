// TRegistry on the Win32 layer's Reg* calls.
#include "toolkit/registry.h"

#include <vector>

namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The value's data; false when it cannot be read. An open key holds the
// values as they were when it was opened, so the size asked first is the
// size read.
bool QueryValue(HKEY key, const AnsiString& name, DWORD& type, std::vector<BYTE>& data) {
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  data.assign(size, 0);
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size) != ERROR_SUCCESS)
    return false;
  data.resize(size);
  return true;
}

}  // namespace

TRegistry::TRegistry() : TRegistry(KEY_ALL_ACCESS) {}

TRegistry::TRegistry(REGSAM AAccess)
    : RootKey([this] { return rootKey_; },
              [this](const HKEY& value) {
                if (value == rootKey_) return;
                CloseKey();
                rootKey_ = value;
              }),
      Access([this] { return access_; }, [this](const REGSAM& value) { access_ = value; }),
      CurrentKey([this] { return currentKey_; }),
      access_(AAccess) {}

TRegistry::~TRegistry() { CloseKey(); }

bool TRegistry::OpenKey(const String& Key, bool CanCreate) {
  CloseKey();
  AnsiString path(Key);
  HKEY key = nullptr;
  LSTATUS status;
  if (CanCreate) {
    DWORD disposition = 0;
    status = RegCreateKeyExA(rootKey_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &key,
                             &disposition);
  } else {
    status = RegOpenKeyExA(rootKey_, path.c_str(), 0, access_, &key);
  }
  if (status != ERROR_SUCCESS) return false;
  currentKey_ = key;
  return true;
}

void TRegistry::CloseKey() {
  if (!currentKey_) return;
  RegCloseKey(currentKey_);
  currentKey_ = nullptr;
}

void TRegistry::GetValueNames(TStrings* Strings) {
  if (!Strings) return;
  Strings->BeginUpdate();
  Strings->Clear();
  if (currentKey_) {
    std::vector<char> name(256);
    DWORD index = 0;
    for (;;) {
      DWORD length = static_cast<DWORD>(name.size());
      LSTATUS status = RegEnumValueA(currentKey_, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA && name.size() < 32768) {
        name.resize(name.size() * 2);  // the same index again, with room
        continue;
      }
      if (status != ERROR_SUCCESS) break;
      Strings->Add(String(AnsiString(name.data(), static_cast<int>(std::min<size_t>(length, name.size())))));
      ++index;
    }
  }
  Strings->EndUpdate();
}

bool TRegistry::ValueExists(const String& Name) {
  if (!currentKey_) return false;
  AnsiString name(Name);
  return RegQueryValueExA(currentKey_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

String TRegistry::ReadString(const String& Name) {
  if (!currentKey_) return String();
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  if (!QueryValue(currentKey_, AnsiString(Name), type, data)) return String();
  if (!IsText(type)) throw ERegistryException("Invalid data type for '" + Name + "'");
  // The stored text may or may not carry its terminating zero.
  size_t length = 0;
  while (length < data.size() && data[length] != 0) ++length;
  return String(AnsiString(reinterpret_cast<const char*>(data.data()), static_cast<int>(length)));
}
