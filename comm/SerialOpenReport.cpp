#include "SerialOpenReport.h"

#include <libloaderapi.h>

namespace {

typedef BOOL(WINAPI* GetReportCall)(SERIAL_OPEN_REPORT*);

// Looked up once: the call is there for the whole run or not at all.
GetReportCall FindReportCall() {
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<GetReportCall>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetLastSerialOpenReport")));
}

}  // namespace

SERIAL_OPEN_REPORT LastSerialOpenReport() {
  static const GetReportCall getReport = FindReportCall();
  SERIAL_OPEN_REPORT report{};
  if (getReport != nullptr) getReport(&report);
  return report;
}
