// The serial device map: links in the ports folder, numbers for the
// machine's devices, and the registry key that lists them all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "serial_device_map.h"
#include "serial_test_support.h"

namespace {
namespace fs = std::filesystem;
using platform::SerialDeviceMap;

class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/kestrix-map-test-XXXXXX";
    path = ::mkdtemp(pattern);
  }
  ~ScratchFolder() { fs::remove_all(path); }
  fs::path path;
};

void touch(const fs::path& file, const std::string& content = "") {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << content;
}

TEST(PortLinks, OnlyWellNamedLinksToExistingTargetsCount) {
  ScratchFolder scratch;
  const fs::path ports = scratch.path / "ports";
  const fs::path devices = scratch.path / "dev";
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
  const SerialDeviceMap expected = {{3, fs::canonical(devices / "b").string()},
                                    {12, fs::canonical(devices / "a").string()},
                                    {1024, fs::canonical(devices / "d").string()}};
  EXPECT_EQ(links, expected);
  EXPECT_TRUE(platform::readPortLinks(scratch.path / "no-such-folder").empty());
}

class SystemDevices : public ::testing::Test {
 protected:
  // A tty class folder as sysfs shows it: serial devices have a device
  // link; UART ports report their type, 0 when no UART is there.
  void addTty(const std::string& name, bool hasDevice, const char* uartType = nullptr) {
    const fs::path folder = scratch.path / "class" / name;
    fs::create_directories(folder);
    if (hasDevice) fs::create_directories(folder / "device");
    if (uartType) touch(folder / "type", std::string(uartType) + "\n");
    touch(scratch.path / "dev" / name);
  }
  std::string dev(const std::string& name) { return fs::canonical(scratch.path / "dev" / name).string(); }
  std::vector<std::string> list() {
    return platform::listSystemSerialDevices(scratch.path / "class", scratch.path / "dev");
  }

  ScratchFolder scratch;
};

TEST_F(SystemDevices, SerialDevicesAreFoundAndSortedWithTheirNumbersAsNumbers) {
  addTty("ttyS10", true, "4");
  addTty("ttyUSB0", true);
  addTty("ttyS2", true, "4");
  addTty("ttyS1", true, "0");  // no UART at this address
  addTty("tty0", false);
  addTty("ptmx", false);
  addTty("ttyACM1", true);
  addTty("ttyS0", true, "4");
  addTty("ttyACM0", true);
  addTty("ttyAMA0", true, "95");
  const std::vector<std::string> expected = {dev("ttyACM0"), dev("ttyACM1"), dev("ttyAMA0"), dev("ttyS0"),
                                             dev("ttyS2"),   dev("ttyS10"),  dev("ttyUSB0")};
  EXPECT_EQ(list(), expected);
}

TEST_F(SystemDevices, DevicesTakeTheLowestNumbersNoLinkHoldsAndLinkedDevicesAreNotNumberedTwice) {
  addTty("ttyS0", true, "4");
  addTty("ttyUSB0", true);
  addTty("ttyUSB1", true);
  addTty("ttyACM0", true);
  touch(scratch.path / "dev" / "elsewhere");
  const SerialDeviceMap links = {{1, dev("ttyUSB1")}, {3, dev("elsewhere")}};
  const SerialDeviceMap map = platform::combineSerialDeviceMap(links, list());
  const SerialDeviceMap expected = {
      {1, dev("ttyUSB1")}, {2, dev("ttyACM0")}, {3, dev("elsewhere")}, {4, dev("ttyS0")}, {5, dev("ttyUSB0")}};
  EXPECT_EQ(map, expected);
  // The same devices give the same numbers, however often the map is made.
  EXPECT_EQ(platform::combineSerialDeviceMap(links, list()), expected);
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
  serial_test::FarEnd first{2};
  serial_test::FarEnd second{11};
};

TEST_F(SerialCommKey, ListsEveryPortByDevicePathWithItsName) {
  HKEY key = open();
  DWORD values = 0, longestName = 0, longestData = 0, subKeys = 9;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, &longestName,
                             &longestData, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(subKeys, 0u);
  EXPECT_EQ(longestName, std::max(first.terminalPath().size(), second.terminalPath().size()));
  EXPECT_EQ(longestData, 6u);  // "COM11" and its ending zero

  const std::pair<std::string, std::string> expected[] = {{first.terminalPath(), "COM2"},
                                                          {second.terminalPath(), "COM11"}};
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
  ASSERT_EQ(RegQueryValueExA(key, second.terminalPath().c_str(), nullptr, nullptr, data, &dataSize), ERROR_SUCCESS);
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
  EXPECT_EQ(RegQueryValueExA(key, first.terminalPath().c_str(), nullptr, nullptr, nullptr, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(dataSize, 5u);
  RegCloseKey(key);
}

TEST_F(SerialCommKey, AnOpenKeyKeepsTheMapItWasOpenedWith) {
  HKEY before = open();
  serial_test::FarEnd third{5};
  HKEY after = open();
  DWORD countBefore = 0, countAfter = 0;
  RegQueryInfoKeyA(before, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &countBefore, nullptr, nullptr,
                   nullptr, nullptr);
  RegQueryInfoKeyA(after, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &countAfter, nullptr, nullptr, nullptr,
                   nullptr);
  EXPECT_EQ(countBefore, 2u);
  EXPECT_EQ(countAfter, 3u);
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
  DWORD values = 0;
  EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

}  // namespace
