// The serial device map: links in the ports folders and the registry key
// that lists the map. Device numbering is tested in device_numbering_test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../support/temp_folder.h"
#include "port_calls.h"
#include "serial_device_map.h"
#include "shared_ports_folder.h"

namespace {
namespace fs = std::filesystem;
using platform::SerialDeviceMap;

void touch(const fs::path& file, const std::string& content = "") {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << content;
}

TEST(PortLinks, OnlyWellNamedLinksToExistingTargetsCount) {
  TempFolder scratch;
  const fs::path ports = scratch.path() / "ports";
  const fs::path devices = scratch.path() / "dev";
  for (const char* name : {"a", "b", "c", "d"}) touch(devices / name);
  fs::create_directories(ports);
  fs::create_symlink(devices / "a", ports / "COM12");
  fs::create_symlink(devices / "b", ports / "COM3");
  fs::create_symlink(devices / "missing", ports / "COM4");  // broken: ignored
  fs::create_symlink(devices / "c", ports / "COM03");       // leading zero
  fs::create_symlink(devices / "c", ports / "com5");        // lower case
  fs::create_symlink(devices / "c", ports / "COM0");
  fs::create_symlink(devices / "c", ports / "COM1025");
  fs::create_symlink(devices / "c", ports / "COM7x");
  touch(ports / "COM8");                               // not a link
  fs::create_symlink(devices / "a", ports / "COM20");  // second link to a
  fs::create_symlink("../dev/d", ports / "COM1024");   // relative target

  const SerialDeviceMap links = platform::readPortLinks(ports);
  auto link = [&](DWORD number, const char* name, const char* device) {
    const std::string target = fs::canonical(devices / device).string();
    return platform::SerialMapEntry{number, target, (ports / name).string() + " → " + target};
  };
  const SerialDeviceMap expected = {link(3, "COM3", "b"), link(12, "COM12", "a"), link(1024, "COM1024", "d")};
  EXPECT_EQ(links, expected);
  EXPECT_TRUE(platform::readPortLinks(scratch.path() / "no-such-folder").empty());
}

TEST(PortNames, OnlyComWithOneToTenTwentyFourAndNoLeadingZeros) {
  EXPECT_EQ(platform::parsePortName("COM1", false), 1u);
  EXPECT_EQ(platform::parsePortName("COM1024", false), 1024u);
  EXPECT_EQ(platform::parsePortName("cOm12", true), 12u);
  for (const char* bad : {"COM", "COM0", "COM01", "COM1025", "COM-1", "COM+1", "COM1 ", "XCOM1", "COM4294967297"})
    EXPECT_FALSE(platform::parsePortName(bad, true)) << bad;
  EXPECT_FALSE(platform::parsePortName("com1", false));
}

class SerialCommKey : public ::testing::Test {
 protected:
  HKEY open() {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key), ERROR_SUCCESS);
    return key;
  }
  // The values of a key, counted the way a reader lists them.
  static DWORD countValues(HKEY key) {
    DWORD count = 0;
    for (;;) {
      char name[256];
      DWORD nameLength = sizeof name;
      if (RegEnumValueA(key, count, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      ++count;
    }
    return count;
  }
  serial_test::FarEnd first{2};
  serial_test::FarEnd second{11};
};

TEST_F(SerialCommKey, ListsEveryPortByDevicePathWithItsName) {
  HKEY key = open();
  EXPECT_EQ(countValues(key), 2u);
  const std::pair<std::string, std::string> expected[] = {{first.TerminalPath(), "COM2"},
                                                          {second.TerminalPath(), "COM11"}};
  for (DWORD i = 0; i < 2; ++i) {
    char name[256];
    DWORD nameLength = sizeof name;
    BYTE data[32];
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    ASSERT_EQ(RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataSize), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameLength), expected[i].first);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(dataSize, expected[i].second.size() + 1);
    EXPECT_STREQ(reinterpret_cast<char*>(data), expected[i].second.c_str());
  }
  char name[256];
  DWORD nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 2, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  BYTE data[32];
  DWORD dataSize = sizeof data;
  ASSERT_EQ(RegQueryValueExA(key, second.TerminalPath().c_str(), nullptr, nullptr, data, &dataSize), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "COM11");
  EXPECT_EQ(RegQueryValueExA(key, "/dev/nothing", nullptr, nullptr, data, &dataSize), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(SerialCommKey, BuffersTooSmallGetNothingAndTheSizeNeeded) {
  HKEY key = open();
  char name[4] = "xyz";
  DWORD nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_STREQ(name, "xyz");

  char fullName[256];
  DWORD fullLength = sizeof fullName;
  BYTE data[3] = {'a', 'b', 'c'};
  DWORD dataSize = sizeof data;
  EXPECT_EQ(RegEnumValueA(key, 1, fullName, &fullLength, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 6u);
  EXPECT_EQ(data[0], 'a');
  // No buffer: only the size.
  dataSize = 0;
  EXPECT_EQ(RegQueryValueExA(key, first.TerminalPath().c_str(), nullptr, nullptr, nullptr, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(dataSize, 5u);
  RegCloseKey(key);
}

TEST_F(SerialCommKey, AnOpenKeyKeepsTheMapItWasOpenedWith) {
  HKEY before = open();
  serial_test::FarEnd third{5};
  HKEY after = open();
  EXPECT_EQ(countValues(before), 2u);
  EXPECT_EQ(countValues(after), 3u);
  RegCloseKey(before);
  RegCloseKey(after);
}

TEST_F(SerialCommKey, OtherKeysDoNotExistAndClosedKeysAreInvalid) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  DWORD disposition = 0;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Kestrix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            &disposition),
            ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "hardware\\devicemap\\serialcomm", 0, nullptr, 0, KEY_READ, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  char name[256];
  DWORD nameLength = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

}  // namespace

namespace {

TEST_F(SerialCommKey, FriendlyNamesSayWhereEachPortsLinkPointsInTheAnsiCodePage) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM\\FriendlyNames", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  char text[512];
  DWORD size = sizeof text;
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "COM11", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  // "→" is A1FA in GBK.
  EXPECT_EQ(std::string(text), serial_test::portsFolder() + "/COM11 \xA1\xFA " + second.TerminalPath());
  size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "COM3", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST(RuntimePortsFolder, WithoutXdgRuntimeDirTheTmpFolderIsWatchedBeforeItExistsAndReadOnlyWhenPrivate) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved ? saved : "";
  ::unsetenv("XDG_RUNTIME_DIR");
  // /tmp/kestrix-<uid> is the machine's: looked at, never made or changed
  // here. Made after the start or not, it is watched; read only while it
  // is a folder of the user's that no one else may write to.
  const fs::path base = "/tmp/kestrix-" + std::to_string(::getuid());
  const std::vector<fs::path> watched = platform::watchedPortsFolders();
  ASSERT_EQ(watched.size(), 2u);
  EXPECT_EQ(watched[1], base / "ports");
  struct stat status;
  const bool privateFolder = ::lstat(base.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
                             status.st_uid == ::getuid() && (status.st_mode & 077) == 0;
  EXPECT_EQ(platform::runtimePortsFolder(), privateFolder ? base / "ports" : fs::path());
  if (saved) ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

TEST(RuntimePortsFolder, FollowsTheSessionsRuntimeFolderAndItsLinksGiveWayToTheUsers) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string savedValue = saved ? saved : "";
  ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
  EXPECT_EQ(platform::runtimePortsFolder(), fs::path("/run/user/4242/kestrix/ports"));
  if (saved)
    ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
  else
    ::unsetenv("XDG_RUNTIME_DIR");

  const SerialDeviceMap user = {{2, "/dev/pts/7", "user 2"}, {5, "/dev/pts/8", "user 5"}};
  const SerialDeviceMap runtime = {
      {1, "/dev/pts/1", "runtime 1"}, {2, "/dev/pts/2", "runtime 2"}, {3, "/dev/pts/8", "runtime 3"}};
  const SerialDeviceMap expected = {
      {1, "/dev/pts/1", "runtime 1"}, {2, "/dev/pts/7", "user 2"}, {5, "/dev/pts/8", "user 5"}};
  EXPECT_EQ(platform::mergePortLinks(user, runtime), expected);
}

}  // namespace
