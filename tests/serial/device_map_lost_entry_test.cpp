// A ports folder whose entries must each be looked up (a file system that
// gives no entry types) and one of whose entries is gone by the time it is
// looked up: only that entry is lost, every other link keeps its number.
//
// The program stands between the folder listing and the C library: its own
// readdir hides the entry types and removes the first entry it returns,
// just before the caller examines it.
#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "serial_device_map.h"

namespace {
namespace fs = std::filesystem;

std::atomic<bool> hideTypesAndRemoveFirst{false};
std::string removedPath;
std::string listedFolder;

}  // namespace

extern "C" struct dirent* readdir(DIR* folder) {
  using Readdir = struct dirent* (*)(DIR*);
  static const Readdir next = reinterpret_cast<Readdir>(dlsym(RTLD_NEXT, "readdir"));
  struct dirent* entry = next(folder);
  if (entry == nullptr || !hideTypesAndRemoveFirst.load()) return entry;
  entry->d_type = DT_UNKNOWN;
  const std::string name = entry->d_name;
  if (name != "." && name != ".." && removedPath.empty()) {
    removedPath = listedFolder + "/" + name;
    ::unlink(removedPath.c_str());
  }
  return entry;
}

namespace {

TEST(PortLinks, AnEntryThatCannotBeExaminedIsSkippedAlone) {
  char pattern[] = "/tmp/kestrix-map-lost-XXXXXX";
  const fs::path scratch = ::mkdtemp(pattern);
  const fs::path ports = scratch / "ports";
  fs::create_directories(ports);
  fs::create_directories(scratch / "dev");
  for (int number = 1; number <= 5; ++number) {
    const fs::path device = scratch / "dev" / ("tty" + std::to_string(number));
    std::ofstream(device).put('x');
    fs::create_symlink(device, ports / ("COM" + std::to_string(number)));
  }
  listedFolder = ports.string();
  hideTypesAndRemoveFirst = true;
  const platform::SerialDeviceMap links = platform::readPortLinks(ports);
  hideTypesAndRemoveFirst = false;

  ASSERT_FALSE(removedPath.empty());
  EXPECT_EQ(links.size(), 4u);
  for (const platform::SerialMapEntry& link : links) {
    const std::string name = "COM" + std::to_string(link.number);
    EXPECT_NE(ports / name, fs::path(removedPath));
    EXPECT_EQ(fs::path(link.devicePath).filename(), "tty" + std::to_string(link.number));
  }
  fs::remove_all(scratch);
}

}  // namespace
