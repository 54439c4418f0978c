#include "kernel_object.h"

#include <unordered_map>

namespace platform {
namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  // Multiples of four, as on Windows, starting well clear of null.
  uintptr_t nextValue = 0x1000;
};

HandleTable& table() {
  static HandleTable* instance = new HandleTable;  // lives to process end
  return *instance;
}

}  // namespace

HANDLE insertHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& handles = table();
  std::lock_guard<std::mutex> guard(handles.lock);
  const uintptr_t value = handles.nextValue;
  handles.nextValue += 4;
  handles.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> lookupHandle(HANDLE handle) {
  HandleTable& handles = table();
  std::lock_guard<std::mutex> guard(handles.lock);
  auto found = handles.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (found == handles.objects.end()) return nullptr;
  return found->second;
}

std::shared_ptr<KernelObject> removeHandle(HANDLE handle) {
  HandleTable& handles = table();
  std::lock_guard<std::mutex> guard(handles.lock);
  auto found = handles.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (found == handles.objects.end()) return nullptr;
  std::shared_ptr<KernelObject> object = std::move(found->second);
  handles.objects.erase(found);
  return object;
}

}  // namespace platform

BOOL WINAPI CloseHandle(HANDLE hObject) {
  std::shared_ptr<platform::KernelObject> object = platform::lookupHandle(hObject);
  object = object && object->closesWithCloseHandle() ? platform::removeHandle(hObject) : nullptr;
  if (!object) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object->onClose();
  return TRUE;
}
