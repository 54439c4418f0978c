// COM numbers that belong to devices: identities from udev's facts, numbers
// remembered by identity, links that win, and the numbers file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <kestrix/platform_testing.h>

#include "../support/unopened_fifo.h"
#include "port_calls.h"
#include "serial_device_fakes.h"
#include "serial_device_map.h"
#include "shared_ports_folder.h"

namespace {
namespace fs = std::filesystem;
using platform::RememberedNumbers;
using platform::SerialDevice;
using platform::SerialDeviceMap;
using platform::UdevTtyFacts;

UdevTtyFacts usbFacts(const std::string& sysname, const std::string& serial, const std::string& socket) {
  UdevTtyFacts facts;
  facts.sysname = sysname;
  facts.devnode = "/dev/" + sysname;
  facts.hasDevice = true;
  facts.properties = {{"ID_BUS", "usb"},
                      {"ID_VENDOR", "FTDI"},
                      {"ID_MODEL", "FT232R_USB_UART"},
                      {"ID_MODEL_ENC", "FT232R\\x20USB\\x20UART"},
                      {"ID_VENDOR_ID", "0403"},
                      {"ID_MODEL_ID", "6001"},
                      {"ID_USB_INTERFACE_NUM", "00"},
                      {"ID_PATH", socket}};
  if (!serial.empty()) facts.properties["ID_SERIAL_SHORT"] = serial;
  return facts;
}

TEST(SerialDeviceIdentity, UsbDevicesAreKnownBySerialNumberOrElseBySocket) {
  UdevTtyFacts withLink = usbFacts("ttyUSB0", "A50285BI", "pci-0000:00:14.0-usb-0:2:1.0");
  withLink.devlinks = {"/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0",
                       "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"};
  const auto device = platform::serialDeviceFromFacts(withLink);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->identity, "usb:usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  EXPECT_EQ(device->node, "/dev/ttyUSB0");
  EXPECT_EQ(device->description, "FTDI FT232R USB UART · A50285BI");

  // The same adapter in another socket, seen before udev made its links.
  const auto moved = platform::serialDeviceFromFacts(usbFacts("ttyUSB3", "A50285BI", "pci-0000:00:14.0-usb-0:4:1.0"));
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->identity, "usb:0403:6001:A50285BI:00");

  // Twins without serial numbers differ only by socket.
  const auto first = platform::serialDeviceFromFacts(usbFacts("ttyUSB0", "", "pci-0000:00:14.0-usb-0:2:1.0"));
  const auto second = platform::serialDeviceFromFacts(usbFacts("ttyUSB1", "", "pci-0000:00:14.0-usb-0:3:1.0"));
  ASSERT_TRUE(first && second);
  EXPECT_NE(first->identity, second->identity);
  EXPECT_NE(first->identity.find("usb-0:2:1.0"), std::string::npos);

  std::vector<SerialDevice> odd = {{"usb:x", "/dev/ttyUSB0", ""}, {"usb:x", "/dev/ttyUSB1", ""}, {"usb:x#2", "", ""}};
  platform::makeIdentitiesUnique(odd);
  EXPECT_EQ(odd[0].identity, "usb:x");
  EXPECT_EQ(odd[1].identity, "usb:x#2");
  EXPECT_EQ(odd[2].identity, "usb:x#2#2");
}

TEST(SerialDeviceIdentity, OnlyTtysWithHardwareAndAUartAreSerialDevices) {
  UdevTtyFacts uart;
  uart.sysname = "ttyS0";
  uart.devnode = "/dev/ttyS0";
  uart.hasDevice = true;
  uart.uartType = "4\n";
  const auto device = platform::serialDeviceFromFacts(uart);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->identity, "tty:ttyS0");
  EXPECT_EQ(device->description, "");

  uart.uartType = "0\n";  // no UART answered at this address
  EXPECT_FALSE(platform::serialDeviceFromFacts(uart));
  UdevTtyFacts console;
  console.sysname = "tty0";
  console.devnode = "/dev/tty0";
  EXPECT_FALSE(platform::serialDeviceFromFacts(console));

  std::vector<std::string> names = {"ttyUSB0", "ttyS10", "ttyS2", "ttyACM1", "ttyS0", "ttyACM0", "ttyAMA0"};
  std::sort(names.begin(), names.end(), platform::deviceNameBefore);
  const std::vector<std::string> expected = {"ttyACM0", "ttyACM1", "ttyAMA0", "ttyS0", "ttyS2", "ttyS10", "ttyUSB0"};
  EXPECT_EQ(names, expected);
}

// Numbers of devices as a user sees them across plugging and unplugging.
class Numbering : public ::testing::Test {
 protected:
  DWORD numberOf(const SerialDeviceMap& map, const std::string& node) {
    for (const auto& entry : map)
      if (entry.devicePath == node) return entry.number;
    return 0;
  }
  SerialDeviceMap number(const std::vector<SerialDevice>& devices, const SerialDeviceMap& links = {}) {
    return platform::numberSerialDevices(links, devices, remembered);
  }
  static void expectNoNumberTwice(const SerialDeviceMap& map) {
    std::set<DWORD> numbers;
    std::set<std::string> devices;
    for (const auto& entry : map) {
      EXPECT_TRUE(numbers.insert(entry.number).second) << "COM" << entry.number << " twice";
      EXPECT_TRUE(devices.insert(entry.devicePath).second) << entry.devicePath << " twice";
    }
  }
  RememberedNumbers remembered;
  const SerialDevice ftdi{"usb:ftdi-A50285BI", "/dev/ttyUSB0", "FTDI"};
  const SerialDevice board{"usb:board-1234", "/dev/ttyACM0", "board"};
};

TEST_F(Numbering, ADeviceKeepsItsNumberAcrossUnplugReplugAndOtherDevicesComingFirst) {
  EXPECT_EQ(numberOf(number({ftdi}), "/dev/ttyUSB0"), 1u);
  EXPECT_TRUE(number({}).empty());  // unplugged: nothing listed, number kept
  // Another device plugged in while the first is away does not take COM1.
  SerialDeviceMap map = number({board});
  EXPECT_EQ(numberOf(map, "/dev/ttyACM0"), 2u);
  // Both back, the first under another node and sorted after the second.
  SerialDevice moved = ftdi;
  moved.node = "/dev/ttyUSB7";
  map = number({board, moved});
  EXPECT_EQ(numberOf(map, "/dev/ttyUSB7"), 1u);
  EXPECT_EQ(numberOf(map, "/dev/ttyACM0"), 2u);
  EXPECT_EQ(map[0].description, "/dev/ttyUSB7 · FTDI");
  expectNoNumberTwice(map);
}

TEST_F(Numbering, LinksWinAndNumbersAreNeverShared) {
  remembered = {{ftdi.identity, 1}, {"usb:absent", 2}};
  const SerialDeviceMap links = {{1, "/dev/pts/4", "link 1"}, {3, board.node, "link 3"}};
  const SerialDevice third{"tty:ttyS0", "/dev/ttyS0", ""};
  const SerialDeviceMap map = number({ftdi, board, third}, links);
  // The link keeps COM1 and its target; the device that had COM1 moves to
  // the lowest number free of links, remembered and present devices; the
  // linked board is listed once, under its link.
  EXPECT_EQ(numberOf(map, "/dev/pts/4"), 1u);
  EXPECT_EQ(numberOf(map, board.node), 3u);
  EXPECT_EQ(numberOf(map, ftdi.node), 4u);
  EXPECT_EQ(numberOf(map, third.node), 5u);
  EXPECT_EQ(map.size(), 4u);
  EXPECT_EQ(remembered.at(ftdi.identity), 4u);
  EXPECT_EQ(remembered.at("usb:absent"), 2u);
  EXPECT_EQ(map[1].description, "link 3 · board");
  expectNoNumberTwice(map);
}

TEST_F(Numbering, NumbersRunOutQuietlyAtTenTwentyFour) {
  std::vector<SerialDevice> devices;
  for (int i = 0; i < 1030; ++i) devices.push_back({"tty:d" + std::to_string(i), "/dev/d" + std::to_string(i), ""});
  const SerialDeviceMap map = number(devices);
  EXPECT_EQ(map.size(), 1024u);
  EXPECT_EQ(map.back().number, 1024u);
}

TEST(RememberedNumbersFile, ADamagedFileLosesOnlyItsDamagedLines) {
  const std::string text =
      "# comment\n"
      "COM3 usb:a\n"
      "COM3 usb:b\n"  // number already given: ignored
      "COM4 usb:a\n"  // identity already numbered: ignored
      "COM0 usb:c\n"
      "COM07 usb:d\n"
      "COM9\n"
      "garbage without number\n"
      "\x01\xff\xfe\n"
      "COM12   usb:e with blanks  \r\n"
      "COM1024\tusb:f";  // no line end
  const RememberedNumbers numbers = platform::parseRememberedNumbers(text);
  const RememberedNumbers expected = {{"usb:a", 3}, {"usb:e with blanks", 12}, {"usb:f", 1024}};
  EXPECT_EQ(numbers, expected);
  EXPECT_EQ(platform::parseRememberedNumbers(platform::formatRememberedNumbers(numbers)), numbers);
}

// The map as the program reads it, with fake devices and a real numbers
// file in the test's configuration folder.
class RememberedNumbersAcrossRestarts : public ::testing::Test {
 protected:
  void SetUp() override {
    serial_test::portsFolder();  // the test's configuration folder
    file = platform::rememberedNumbersFile();
    fs::remove(file);
  }
  void TearDown() override { fs::remove(file); }
  static std::string fileText(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  fs::path file;
  serial_lines::SerialDeviceFakes devices;
};

TEST_F(RememberedNumbersAcrossRestarts, NumbersAreWrittenAndReadBackWithoutLeftovers) {
  std::ofstream(file) << "COM7 usb:known\n";
  devices.Set({{"usb:new", "/dev/ttyUSB0", ""}, {"usb:known", "/dev/ttyUSB1", ""}});
  const SerialDeviceMap map = platform::currentSerialDeviceMap();
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map[0].number, 1u);
  EXPECT_EQ(map[1].number, 7u);
  EXPECT_EQ(map[1].devicePath, "/dev/ttyUSB1");
  EXPECT_NE(fileText(file).find("COM1 usb:new\nCOM7 usb:known\n"), std::string::npos);
  // Only the file and its lock: no temporary file stays behind.
  int entries = 0;
  for (const auto& entry : fs::directory_iterator(file.parent_path()))
    entries += entry.path().filename().string().rfind("port-numbers", 0) == 0;
  EXPECT_EQ(entries, 2);

  // Started again with the devices the other way round.
  devices.Set({{"usb:known", "/dev/ttyUSB0", ""}, {"usb:new", "/dev/ttyUSB1", ""}});
  const SerialDeviceMap again = platform::currentSerialDeviceMap();
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[0].devicePath, "/dev/ttyUSB1");
  EXPECT_EQ(again[1].devicePath, "/dev/ttyUSB0");
}

TEST_F(RememberedNumbersAcrossRestarts, ADamagedOrUnreadableFileNeverStopsTheMap) {
  const char damaged[] = "COM2 usb:a\n\0\0\0COM2 usb:b\nCOM";
  std::ofstream(file, std::ios::binary) << std::string(damaged, sizeof damaged - 1);
  devices.Set({{"usb:a", "/dev/ttyUSB0", ""}, {"usb:b", "/dev/ttyUSB1", ""}});
  SerialDeviceMap map = platform::currentSerialDeviceMap();
  ASSERT_EQ(map.size(), 2u);
  EXPECT_EQ(map[0].number, 1u);  // b, numbered afresh
  EXPECT_EQ(map[1].number, 2u);  // a, as remembered
  EXPECT_EQ(fileText(file), platform::formatRememberedNumbers({{"usb:a", 2}, {"usb:b", 1}}));

  // A folder where the file should be: the map still numbers the devices.
  fs::remove(file);
  fs::create_directories(file / "x");
  map = platform::currentSerialDeviceMap();
  EXPECT_EQ(map.size(), 2u);
  fs::remove_all(file);
}

// FIFOs nobody writes where the numbers file and its lock should be: the
// map is made without waiting, and the numbers file is put in the FIFO's
// place.
TEST_F(RememberedNumbersAcrossRestarts, AFifoForTheFileOrItsLockIsNeverWaitedOn) {
  devices.Set({{"usb:a", "/dev/ttyUSB0", ""}});
  for (const fs::path& name : {file, fs::path(file.string() + ".lock")}) {
    SCOPED_TRACE(name.string());
    fs::remove(file);
    fs::remove(file.string() + ".lock");
    UnopenedFifo fifo(name.string());
    ASSERT_TRUE(fifo.Made());
    SerialDeviceMap map;
    EXPECT_TRUE(fifo.ReturnsWithin([&] { map = platform::currentSerialDeviceMap(); })) << "waited on the FIFO";
    ASSERT_EQ(map.size(), 1u);
    EXPECT_EQ(map[0].number, 1u);
    EXPECT_EQ(fileText(file), platform::formatRememberedNumbers({{"usb:a", 1}}));
  }
}

}  // namespace
