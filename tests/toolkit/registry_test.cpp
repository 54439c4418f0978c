// TRegistry over the Win32 layer's registry.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <filesystem>
#include <fstream>

#include "ports_folder.h"
#include "toolkit/registry.h"

namespace {

TEST(Registry, AKeyThatCannotBeOpenedLeavesNothingToRead) {
  TRegistry registry;
  registry.RootKey = HKEY_LOCAL_MACHINE;
  EXPECT_FALSE(registry.OpenKey("SOFTWARE\\Nowhere", false));
  EXPECT_EQ(registry.CurrentKey.Get(), nullptr);
  TStringList names;
  names.Add("left over");
  registry.GetValueNames(&names);
  EXPECT_EQ(names.Count, 0);
  EXPECT_EQ(registry.ReadString("COM1"), String(""));
  EXPECT_FALSE(registry.ValueExists("COM1"));
  registry.CloseKey();  // harmless without a key
}

// The serial device map of a private configuration folder whose port links
// name three stand-in devices.
class SerialMapRegistry : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* port : {"COM10", "COM3", "COM1"}) {
      const std::filesystem::path device = std::filesystem::path(folder.Root()) / (std::string("tty") + port);
      std::ofstream(device).put('\n');
      std::filesystem::create_symlink(device, std::filesystem::path(folder.Ports()) / port);
    }
  }

  serial_lines::PortsFolder folder;
};

TEST_F(SerialMapRegistry, ListsEveryPortNameAsText) {
  TRegistry registry;
  registry.RootKey = HKEY_LOCAL_MACHINE;
  ASSERT_TRUE(registry.OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", true));
  EXPECT_NE(registry.CurrentKey.Get(), nullptr);
  TStringList names;
  registry.GetValueNames(&names);
  ASSERT_EQ(names.Count, 3);
  TStringList data;
  for (int i = 0; i < names.Count; ++i) {
    EXPECT_TRUE(registry.ValueExists(names[i]));
    data.Add(registry.ReadString(names[i]));
  }
  data.Sort();
  EXPECT_EQ(data.Text.Get(), String("COM1\r\nCOM10\r\nCOM3\r\n"));
  EXPECT_EQ(registry.ReadString("no such value"), String(""));

  // Changing the root closes the key.
  registry.RootKey = HKEY_CURRENT_USER;
  EXPECT_EQ(registry.CurrentKey.Get(), nullptr);
}

}  // namespace
