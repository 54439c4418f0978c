// TRegistry over the Win32 layer's registry.
#include <gtest/gtest.h>

#include "string_printer.h"

#include <kestrix/platform_testing.h>

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

TEST(Registry, TheSerialDeviceMapListsPortNamesAsText) {
  ExcludeSystemSerialDevicesForTesting(true);
  TRegistry registry;
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (!registry.OpenKey("HARDWARE\\DEVICEMAP\\SERIALCOMM", true)) GTEST_SKIP() << "no serial device map here";
  EXPECT_NE(registry.CurrentKey.Get(), nullptr);
  TStringList names;
  registry.GetValueNames(&names);
  for (int i = 0; i < names.Count; ++i) {
    String data = registry.ReadString(names[i]);
    EXPECT_EQ(data.SubString(1, 3), String("COM")) << names[i].c_str();
  }
  // Changing the root closes the key.
  registry.RootKey = HKEY_CURRENT_USER;
  EXPECT_EQ(registry.CurrentKey.Get(), nullptr);
}

}  // namespace
