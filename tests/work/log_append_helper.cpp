// Appends records to the log from a process of its own, so that a test can
// run two of it at once against the same month's file.
//   log_append_helper TAG COUNT
// logs COUNT records "TAG i", each with a payload of kHelperPayloadLength
// bytes that all hold the tag's character, to the month kHelperMonth.
#include <kestrix/platform_testing.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "cxLog.h"
#include "log_append_helper.h"

int main(int argc, char** argv) {
  if (argc != 3 || argv[1][0] == '\0' || argv[1][1] != '\0') return 2;
  const char tag = argv[1][0];
  const int count = std::atoi(argv[2]);
  const SYSTEMTIME month{kHelperYear, kHelperMonth, 0, 15, 12, 0, 0, 0};
  SetLocalClockForTesting(&month);
  const std::vector<BYTE> payload(kHelperPayloadLength, static_cast<BYTE>(tag));
  for (int i = 0; i < count; ++i) {
    char message[32];
    std::snprintf(message, sizeof message, "%c %d", tag, i);
    CxLog::Instance().Add(
        new CxLog::Item(__FILE__, nullptr, __LINE__, 0, message, payload.data(), static_cast<DWORD>(payload.size())));
    if (i % 8 == 7) Sleep(1);  // many batches of a few records, not one
  }
  // The log's destruction at exit writes what is still queued.
  return 0;
}
