// Why a port did not open: the second line of the "不能打开" box and the
// log line, and the port lists' tool tips naming each port's device.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <kestrix/platform_testing.h>

#include "../comm/LogRecords.h"
#include "../support/unopened_fifo.h"
#include "MainWindowTest.h"
#include "OpenFailureCause.h"
#include "serial_device_fakes.h"

namespace {
namespace fs = std::filesystem;

SERIAL_OPEN_REPORT Report(const char* device, DWORD holder = 0, const char* program = "") {
  SERIAL_OPEN_REPORT report{};
  report.bInUse = holder != 0;
  std::snprintf(report.szDevice, sizeof report.szDevice, "%s", device);
  report.dwHolderProcessId = holder;
  std::snprintf(report.szHolderProgram, sizeof report.szHolderProgram, "%s", program);
  return report;
}

// The cause as the log records it; without a catalog the box shows the same.
String Cause(DWORD error, const SERIAL_OPEN_REPORT& report) {
  const TrMessage cause = OpenFailureCause(error, report);
  EXPECT_EQ(cause.Shown(), cause.Logged());
  return cause.Logged();
}

TEST(OpenFailureCause, EachCauseSaysWhatWentWrongAndWhatHelps) {
  EXPECT_EQ(Cause(ERROR_FILE_NOT_FOUND, Report("")), String("没有这个设备：串口未插入或已拔出。"));
  EXPECT_EQ(Cause(ERROR_ACCESS_DENIED, Report("/dev/ttyUSB0")),
            String("没有权限打开 /dev/ttyUSB0 ：请把用户加入 dialout 组（sudo usermod -aG dialout 用户名），"
                   "然后注销并重新登录。"));
  // A port in use is ERROR_ACCESS_DENIED as on Windows; the report says so.
  EXPECT_EQ(Cause(ERROR_ACCESS_DENIED, Report("/dev/ttyUSB0", 4242, "picocom")),
            String("串口正被 picocom（进程 4242）使用。"));
  EXPECT_EQ(Cause(ERROR_ACCESS_DENIED, Report("/dev/ttyUSB0", 4242)), String("串口正被进程 4242 使用。"));
  SERIAL_OPEN_REPORT heldByUnknown = Report("/dev/ttyUSB0");
  heldByUnknown.bInUse = TRUE;
  EXPECT_EQ(Cause(ERROR_ACCESS_DENIED, heldByUnknown), String("串口正被其他程序使用。"));
  EXPECT_EQ(Cause(ERROR_ACCESS_DENIED, Report("/dev/ttyUSB0", GetCurrentProcessId(), "kestrix")),
            String("串口已在本程序的另一个面板中打开。"));
  EXPECT_EQ(Cause(ERROR_DEVICE_IN_USE, Report("/dev/pts/3", 77, "bash")),
            String("/dev/pts/3 是 bash（进程 77）会话的终端，不是串口。"));
  EXPECT_EQ(Cause(ERROR_NOT_SUPPORTED, Report("/tmp/notes")), String("/tmp/notes 不是串口。"));
  EXPECT_EQ(Cause(ERROR_GEN_FAILURE, Report("")), String("错误代码 31。"));
}

class OpenFailure : public MainWindowTest {
 protected:
  static fs::path PortLink(int port) {
    return fs::path(std::getenv("XDG_CONFIG_HOME")) / "kestrix" / "ports" / ("COM" + std::to_string(port));
  }
  serial_lines::SerialDeviceFakes devices;
};

TEST_F(OpenFailure, APortLockedByAnotherProgramNamesItInTheBoxAndTheLog) {
  AddFarEnd(3);
  CreateWindow();
  const std::string device = fs::read_symlink(PortLink(3)).filename().string();
  const std::string lock = LockFolder() + "/LCK.." + device;
  char text[16];
  std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getppid()));
  std::ofstream(lock) << text;
  std::string parent;
  std::getline(std::ifstream("/proc/" + std::to_string(::getppid()) + "/comm"), parent);
  const std::string cause = "串口正被 " + parent + "（进程 " + std::to_string(::getppid()) + "）使用。";

  OpenPanel(0, 3);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text, String("不能打开 COM3\n" + cause));
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  const AnsiString logged(String("不能打开 COM3：" + cause));
  EXPECT_TRUE(WaitUntil([&] { return CountLogLines(logged.c_str()) > 0; }));
  fs::remove(lock);
}

// A FIFO in the shared lock folder under the port's lock name: the window
// never waits on it. The port is refused as in use by another program, and
// the log says what stood at the lock's name.
TEST_F(OpenFailure, AFifoAtTheLocksNameIsTakenAsAnUnknownHolderAndLogged) {
  AddFarEnd(3);
  CreateWindow();
  const std::string device = fs::read_symlink(PortLink(3)).string();
  UnopenedFifo fifo(LockFolder() + "/LCK.." + fs::path(device).filename().string());
  ASSERT_TRUE(fifo.Made());
  EXPECT_TRUE(fifo.ReturnsWithin([&] { OpenPanel(0, 3); })) << "the window waited on the FIFO";
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text, String("不能打开 COM3\n串口正被其他程序使用。"));
  EXPECT_EQ(form->Button1->Caption.Get(), String("打开"));
  const std::string remark = "COM3: " + fifo.Path() + " is a FIFO, not a lock file: " + fs::canonical(device).string() +
                             " is taken to be in use by an unknown program";
  EXPECT_TRUE(WaitUntil([&] { return CountLogLines(remark.c_str()) > 0; })) << remark;
  EXPECT_TRUE(fs::is_fifo(fifo.Path()));
}

TEST_F(OpenFailure, ALinkToSomethingThatIsNotATerminalIsNotASerialPort) {
  const fs::path file = fs::path(LockFolder()) / "notes.txt";
  std::ofstream(file) << "hello";
  fs::create_symlink(file, PortLink(4));
  CreateWindow();
  OpenPanel(1, 4);
  ASSERT_EQ(Dialogs().size(), 1u);
  EXPECT_EQ(Dialogs()[0].Text, String("不能打开 COM4\n" + fs::canonical(file).string() + " 不是串口。"));
}

TEST_F(OpenFailure, PortListsNameEachPortsDeviceAndARefillKeepsTheTexts) {
  AddFarEnd(2);
  const serial_lines::FakeSerialDevice adapter = {"usb:test-A50285BI", "/dev/ttyUSB9",
                                                  "FTDI FT232R USB UART · A50285BI"};
  devices.Set({adapter});
  CreateWindow();
  ASSERT_EQ(form->ComboBox1->Items->Count, 2);
  EXPECT_EQ(form->ComboBox1->Items->Strings[0], String("COM1"));
  EXPECT_EQ(form->ComboBox1->ItemHint(0), String("/dev/ttyUSB9 · FTDI FT232R USB UART · A50285BI"));
  EXPECT_EQ(form->ComboBox3->ItemHint(0), String("/dev/ttyUSB9 · FTDI FT232R USB UART · A50285BI"));
  const std::string link = PortLink(2).string() + " → " + fs::canonical(fs::read_symlink(PortLink(2))).string();
  EXPECT_EQ(form->ComboBox3->ItemHint(1), String(link));

  // The user typed a port; a refill (a device came) leaves the texts alone.
  form->ComboBox1->Text = "COM7";
  devices.Set({adapter, {"usb:other", "/dev/ttyACM0", "board"}});
  form->FillPortLists();
  EXPECT_EQ(form->ComboBox1->Items->Count, 3);
  EXPECT_EQ(form->ComboBox1->Text.Get(), String("COM7"));
  EXPECT_EQ(form->ComboBox3->Text.Get(), String("COM2"));
  EXPECT_EQ(form->ComboBox1->ItemHint(2), String("/dev/ttyACM0 · board"));
}

}  // namespace
