// Opening \\.\COMn: by the map, exclusively, and what fails how.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include <kestrix/serial_open_report.h>
#include <libloaderapi.h>

#include "../support/unopened_fifo.h"
#include "port_calls.h"
#include "shared_ports_folder.h"

namespace {
using namespace serial_test;

TEST(PortOpen, MappedNameOpensTheLinkedTerminalInEitherCase) {
  FarEnd far(7);
  HANDLE port = CreateFileA("\\\\.\\com7", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(port, INVALID_HANDLE_VALUE);
  // It is the linked terminal: what the port writes comes out at the far end.
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(port, "hi", 2, &written, nullptr));
  EXPECT_EQ(far.Receive(2), "hi");
  EXPECT_TRUE(CloseHandle(port));
}

TEST(PortOpen, NamesWithoutAnEntryFailWithFileNotFound) {
  FarEnd far(3);
  for (const char* name : {"\\\\.\\COM4", "\\\\.\\COM03", "\\\\.\\COM0", "\\\\.\\COM1025", "\\\\.\\COM", "\\\\.\\COM3x",
                           "\\\\.\\LPT1", "\\\\.\\COM99999999999"}) {
    SetLastError(0);
    EXPECT_EQ(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr),
              INVALID_HANDLE_VALUE)
        << name;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << name;
  }
}

TEST(PortOpen, SecondOpenOfTheSameDeviceIsDeniedUntilTheFirstCloses) {
  FarEnd far(5);
  HANDLE first = openPort(5);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_EQ(openPort(5), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SERIAL_OPEN_REPORT report{};
  ASSERT_TRUE(GetLastSerialOpenReport(&report));
  EXPECT_TRUE(report.bInUse);

  // Another program locking the same way is kept out too.
  const int other = ::open(far.TerminalPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (other >= 0) {  // TIOCEXCL keeps out all but the superuser
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0);
    ::close(other);
  }

  ASSERT_TRUE(CloseHandle(first));
  HANDLE again = openPort(5);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  CloseHandle(again);
}

// Windows refuses a COM port that another program has open with
// ERROR_ACCESS_DENIED; code written for it tests for exactly that.
TEST(PortOpen, ADeviceAnotherProgramClaimedIsAccessDeniedAndReportedInUse) {
  FarEnd far(8);
  const int other = ::open(far.TerminalPath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  SetLastError(0);
  EXPECT_EQ(openPort(8), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SERIAL_OPEN_REPORT report{};
  ASSERT_TRUE(GetLastSerialOpenReport(&report));
  EXPECT_TRUE(report.bInUse);
  EXPECT_EQ(report.dwHolderProcessId, 0u);  // a claim does not name its holder
  ::close(other);

  HANDLE port = openPort(8);
  EXPECT_NE(port, INVALID_HANDLE_VALUE);
  CloseHandle(port);
}

// The program finds the report by name, as a call only some systems have.
TEST(PortOpen, TheReportCallIsFoundByNameAndNothingElseIs) {
  const HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
  ASSERT_NE(kernel, nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), kernel);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(kernel, "GetLastSerialOpenReport")),
            reinterpret_cast<void*>(&GetLastSerialOpenReport));
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(kernel, "GetLastSerialOpenReportEx"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(kernel, nullptr), nullptr);
  EXPECT_EQ(GetModuleHandleA("ntdll.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(nullptr, "GetLastSerialOpenReport"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(PortOpen, LinkToSomethingThatIsNotATerminalDoesNotOpen) {
  const std::string file = portsFolder() + "/../plain-file";
  {
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  const std::string link = portsFolder() + "/COM9";
  std::filesystem::create_symlink(file, link);
  SetLastError(0);
  EXPECT_EQ(openPort(9), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  std::filesystem::remove(link);
}

// A port linked to a FIFO nobody opens: refused as no serial line, at once,
// and without a lock file made for it.
TEST(PortOpen, AFifoIsNoPortAndIsNeitherWaitedOnNorLocked) {
  const std::string fifoPath = lockFolder() + "/line-fifo";
  UnopenedFifo fifo(fifoPath);
  ASSERT_TRUE(fifo.Made());
  const std::string link = portsFolder() + "/COM24";
  std::filesystem::create_symlink(fifoPath, link);
  HANDLE port = INVALID_HANDLE_VALUE;
  EXPECT_TRUE(fifo.ReturnsWithin([&] { port = openPort(24); }));
  EXPECT_EQ(port, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
  EXPECT_FALSE(std::filesystem::exists(lockFolder() + "/LCK..line-fifo"));
  std::filesystem::remove(link);
}

}  // namespace
